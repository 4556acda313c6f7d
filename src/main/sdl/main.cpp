#include "author/Tools.h"
#include "app/Main.h"
#include "platform/sdl/Process.h"
#include "publish/Publish.h"

int main(int argc, char** argv) {
    if (argc >= 2 && IsToolCommand(argv[1]))
        return RunTool(argc - 1, argv + 1, ExecutableFolder(argv[0]), Publish);
    return Main(argc, argv);
}
