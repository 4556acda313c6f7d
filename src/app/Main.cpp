#include "app/Main.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>

#include "sound/Volume.h"
#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "script/StartPoint.h"
#include "script/Steering.h"
#include "script/TextSpeed.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/TraceFile.h"
#include "app/AuthorsAids.h"
#include "app/MachinePlatform.h"
#include "window/MainForm.h"
#include "app/Options.h"
#include "app/Watch.h"

AuthorsAids TheAuthorsAids;

namespace {

constexpr const char* kNoStoryHere =
    "No story here: give a story folder, for example \"tessaro path/to/story\"; without one, "
    "Tessaro plays the story beside the program (its Data, Picture, Bgm and Wave folders)";

// The story played when none is named: the one beside the program (a Data folder there, with or
// without its first file: a missing one is named as in any story), as stories shipped with it
// expect; an installed program (in .../bin, started from a menu) plays the sample story
// installed with it instead. Empty when there is neither.
std::string DefaultStoryFolder(Platform& platform, const std::string& programFolder) {
    std::error_code error;
    SetProgramDirectory(programFolder);  // its path taken as it is, "\" and all
    if (PathExists(platform.FindFile(AssetPath("Data", "Data00.Dat"))) ||
        std::filesystem::is_directory(platform.FindFile(ProgramDirectory() + "\\Data"), error))
        return programFolder;
    const std::filesystem::path installed =
        (std::filesystem::path(programFolder).parent_path() / "share/tessaro/sample").lexically_normal();
    if (std::filesystem::is_directory(installed, error)) return installed.string();
    return "";
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
        std::printf("tessaro %s\n"
                    "Copyright (c) 2026 The Tessaro developers\n"
                    "MIT licence: the LICENSE file, or /usr/share/doc/tessaro/copyright when installed.\n",
                    TESSARO_VERSION);
        return 0;
    case CommandLine::Action::Misuse:
        // A wrong value is named with the values the option takes; the whole help would bury it.
        std::fprintf(stderr, "tessaro: %s\n%s", line.problem.c_str(), line.badValue ? "" : kUsage);
        return 2;
    case CommandLine::Action::Play:
        break;
    }
    MachinePlatform platform;
    if (!platform.Error().empty()) return Fail(nullptr, platform.Error());
    OpenTraceFile();
    SetSystem(&platform);
    const std::string storyFolder =
        line.storyFolder.empty() ? DefaultStoryFolder(platform, platform.ProgramFolder(argv[0])) : line.storyFolder;
    if (storyFolder.empty()) return Fail(&platform, kNoStoryHere);
    SetProgramDirectory(storyFolder);
    platform.SetScreenMode(line.screen);
    if (line.volume != 100) SetStoryVolume(line.volume);
    SetTextSpeed(line.textSpeed);
    // An author's run plays the sources as they are now.
    if ((line.watch || !line.start.empty()) && TheAuthorsAids.playSourcesAsTheyAre != nullptr)
        TheAuthorsAids.playSourcesAsTheyAre();
    StartPoint start;
    if (!line.start.empty()) {
        if (const std::string problem = FindStartPoint(line.start, start); !problem.empty()) {
            std::fprintf(stderr, "tessaro: %s\n", problem.c_str());
            return 2;
        }
    }
    try {
        ScreenWidth = 300;
        ScreenHeight = 300;
        MainForm_Load();
        platform.TrimMemory();
        if ((start.scenario != U"00" || start.line != 0) && TheAuthorsAids.showSceneAt != nullptr)
            TheAuthorsAids.showSceneAt(line.start, start, line.flags);
        LoadScenario(start.scenario);
        for (const auto& [index, value] : line.flags) Flag[index] = value;
        WatchScenarioFiles(line.watch);
        if (line.watch) RunWatched(start.line);
        else RunScript(start.line);
        return 0;
    } catch (const ProgramEnd& end) {
        return end.status;
    } catch (const RunTimeError& error) {
        return Fail(&platform, error.what());
    } catch (const std::exception& error) {
        return Fail(&platform, error.what());
    }
}
