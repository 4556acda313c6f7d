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
#include "window/Options.h"

namespace {

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
    const CommandLine line = ReadCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("tessaro %s\n", TESSARO_VERSION);
        return 0;
    case CommandLine::Action::Misuse:
        std::fprintf(stderr, "tessaro: %s\n%s", line.problem.c_str(), kUsage);
        return 2;
    case CommandLine::Action::Play:
        break;
    }
    SetProgramDirectory(line.storyFolder.empty() ? ExecutableDirectory(argv[0]) : line.storyFolder);

    MachinePlatform platform;
    if (!platform.Error().empty()) return Fail(nullptr, platform.Error());
    SetSystem(&platform);
    platform.SetScreenMode(line.screen);
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
