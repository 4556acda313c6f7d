#include "window/Main.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>

#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/MachinePlatform.h"
#include "window/MainForm.h"
#include "window/Options.h"

namespace {

// The story played when none is named: the one beside the program, as stories shipped with it
// expect; an installed program (in .../bin, started from a menu) plays the sample story
// installed with it instead.
std::string DefaultStoryFolder(Platform& platform, const std::string& programFolder) {
    std::error_code error;
    SetProgramDirectory(programFolder);  // its path taken as it is, "\" and all
    if (std::filesystem::exists(platform.FindFile(AssetPath("Data", "Data00.Dat")), error)) return programFolder;
    const std::filesystem::path installed =
        (std::filesystem::path(programFolder).parent_path() / "share/tessaro/sample").lexically_normal();
    if (std::filesystem::is_directory(installed, error)) return installed.string();
    return programFolder;
}

// A failure that stops the program: the same text in a message box and on standard error.
int Fail(Platform* platform, const std::string& text) {
    std::fprintf(stderr, "tessaro: %s\n", text.c_str());
    if (platform != nullptr) platform->MessageBox(kMessageBoxCaption, text);
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
    MachinePlatform platform;
    if (!platform.Error().empty()) return Fail(nullptr, platform.Error());
    SetSystem(&platform);
    SetProgramDirectory(line.storyFolder.empty() ? DefaultStoryFolder(platform, platform.ProgramFolder(argv[0]))
                                                 : line.storyFolder);
    platform.SetScreenMode(line.screen);
    try {
        ScreenWidth = 300;
        ScreenHeight = 300;
        MainForm_Load();
        platform.TrimMemory();
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
