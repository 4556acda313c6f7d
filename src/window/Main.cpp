#include "window/Main.h"

#include <clocale>
#include <cstdio>
#include <string>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/MachinePlatform.h"
#include "window/MainForm.h"

namespace {

constexpr const char* kUsage =
    "Usage: tessaro [STORY-FOLDER]\n"
    "Plays the sound novel in STORY-FOLDER (by default the folder that holds this program):\n"
    "its Data, Picture, Bgm and Wave folders. Space turns the page, Up and Down choose an\n"
    "answer, Space confirms it; closing the window ends the story.\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

// Start-up leaves freed memory behind (the soundfont's parsing, the libraries' set-up); give it
// back so the long quiet run that follows is small.
void ReturnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// A failure that stops the program: the same text in a message box and on standard error.
int Fail(Platform* platform, const std::string& text) {
    std::fprintf(stderr, "tessaro: %s\n", text.c_str());
    if (platform != nullptr) platform->MessageBox("Tessaro", text);
    return 1;
}

}  // namespace

int Main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (argc > 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string argument = argc == 2 ? argv[1] : "";
    if (argument == "--help" || argument == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argument == "--version") {
        std::printf("tessaro %s\n", TESSARO_VERSION);
        return 0;
    }
    if (!argument.empty() && argument[0] == '-') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    SetProgramDirectory(argument.empty() ? ExecutableDirectory(argv[0]) : argument);

    MachinePlatform platform;
    if (!platform.Error().empty()) return Fail(nullptr, platform.Error());
    SetSystem(&platform);
    try {
        ScreenWidth = 300;
        ScreenHeight = 300;
        MainForm_Load();
        platform.StartAudio();
        ReturnFreedMemory();
        LoadScenario(U"00");
        RunScript();
        return 0;
    } catch (const ProgramEnd& end) {
        return end.status;
    } catch (const RunTimeError& error) {
        return Fail(&platform, error.what());
    } catch (const std::exception& error) {
        return Fail(&platform, error.what());
    }
}
