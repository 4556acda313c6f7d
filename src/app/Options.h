#pragma once
// The command line: which story to play and how to show it, for this run (nothing of it is kept).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "script/TextSpeed.h"
#include "system/Scaling.h"

struct CommandLine {
    enum class Action { Play, Help, Version, Misuse } action = Action::Play;
    std::string storyFolder;  // empty: the folder that holds the program
    ScreenMode screen;
    int volume = 100;  // of music and effects, 0 to 100
    TextSpeed textSpeed = TextSpeed::Normal;
    // Which of those three the command line gave: they win over the reader's settings this run.
    bool screenGiven = false, volumeGiven = false, textSpeedGiven = false;
    // The reader's place: start at the title this once; forget this story's place, or all.
    bool fromStart = false;
    enum class Forget { Nothing, Story, All } forget = Forget::Nothing;
    std::string problem;  // with Misuse: what is wrong
    bool badValue = false;  // with Misuse: an option's value, which problem names with its values
    // For authors: where the story starts ("" for line 0 of Data00.Dat), and flags set before.
    std::string start;
    std::vector<std::pair<int, int16_t>> flags;  // (index, value)
    bool watch = false;  // start again where it was when the scenario file changes
};

CommandLine ReadCommandLine(int argc, char** argv);

// The --help text: every option and every key.
extern const char* const kUsage;
