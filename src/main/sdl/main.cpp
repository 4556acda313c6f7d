#include "aids/Aids.h"
#include "app/Main.h"
#include "author/Tools.h"
#include "platform/sdl/Process.h"
#include "publish/Publish.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    UseAuthorsAids();
    if (argc >= 2 && IsToolCommand(argv[1]))
        return RunTool(argc - 1, argv + 1, ExecutableFolder(argv[0]), Publish);
    return Main(argc, argv);
}
