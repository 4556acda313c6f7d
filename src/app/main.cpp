#include "author/Tools.h"
#include "app/AuthorsAids.h"
#include "app/Main.h"
#include "platform/sdl/Process.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    UseAuthorsAids();
    if (argc >= 2 && IsToolCommand(argv[1])) return RunTool(argc - 1, argv + 1, ExecutableFolder(argv[0]));
    return Main(argc, argv);
}
