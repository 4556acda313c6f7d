#include "app/Main.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>

#include "sound/Volume.h"
#include "script/ContinueReading.h"
#include "script/Interpreter.h"
#include "script/ReaderPlace.h"
#include "script/ReaderSettings.h"
#include "script/ResumePrompt.h"
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
#include "window/Crt.h"
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

// The story folder as the bookmarks' folder record names it: its whole path.
// The path goes through the library as UTF-8 both ways: on Windows a plain string would be read
// in the system's code page, where a Japanese folder's name may not convert at all.
std::string StoryKey(const std::string& folder) {
    try {
        std::error_code error;
        const std::filesystem::path given(std::u8string(folder.begin(), folder.end()));
        const std::filesystem::path whole = std::filesystem::weakly_canonical(std::filesystem::absolute(given, error), error);
        if (error) return folder;
        const std::u8string text = whole.u8string();
        return std::string(text.begin(), text.end());
    } catch (const std::exception&) {
        return folder;  // only a record of where the story was: its identity is its content
    }
}

// --forget and --forget-all: what is kept goes, and the program ends without a window.
int Forget(Platform& platform, CommandLine::Forget what) {
    std::string why;
    if (what == CommandLine::Forget::All) {
        why = platform.ForgetKept(Kept::Bookmarks, "");
        if (const std::string settings = platform.ForgetKept(Kept::Settings, ""); why.empty()) why = settings;
    } else {
        why = platform.ForgetKept(Kept::Bookmarks, BookmarkName(StoryIdentity()));
    }
    if (!why.empty()) {
        std::fprintf(stderr, "tessaro: cannot forget: %s\n", why.c_str());
        return 1;
    }
    return 0;
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
    // The reader's place is the player's: an author's run neither reads nor writes a bookmark,
    // and --from-start leaves it as it is for the next start.
    const bool keepPlace = line.start.empty() && !line.watch && !line.fromStart;
    if (line.forget != CommandLine::Forget::Nothing) return Forget(platform, line.forget);
    const ReaderSettings settings = ReadReaderSettings();
    platform.SetScreenMode(line.screenGiven ? line.screen : settings.screen);
    const int volume = line.volumeGiven ? line.volume : settings.volume;
    if (volume != 100) SetStoryVolume(volume);
    SetTextSpeed(line.textSpeedGiven ? line.textSpeed : settings.textSpeed);
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
        if (!line.volumeGiven && settings.muted) Crt.ShowMuteMark(ToggleMute());
        if (keepPlace) {
            const uint64_t story = StoryIdentity();
            const std::string folder = StoryKey(storyFolder);
            Bookmark bookmark;
            const bool found = FindBookmark(story, folder, bookmark);
            const bool continuing = found && AskToContinue();
            if (found && !continuing) ForgetBookmark(story);  // the reader starts again
            KeepReaderPlace(story, folder);
            if (continuing) {
                ContinueFromBookmark(bookmark);
                return 0;
            }
        }
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
