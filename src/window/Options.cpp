#include "window/Options.h"

#include <cstring>

const char* const kUsage =
    "Usage: tessaro [OPTION]... [--] [STORY-FOLDER]\n"
    "       tessaro check [--json] [STORY-FOLDER]   (finds what would go wrong in a story)\n"
    "       tessaro convert SOURCE.txt DATA.Dat     (UTF-8 text to a scenario file)\n"
    "Plays the sound novel in STORY-FOLDER (by default the folder that holds this program):\n"
    "its Data, Picture, Bgm and Wave folders. A story folder named check or convert is played\n"
    "as a path: tessaro ./check\n"
    "\n"
    "Options:\n"
    "  --scale N         show the window N times larger (N = 1 to 8), pixels kept crisp\n"
    "  --scale auto      the largest N whose window fits in the desktop\n"
    "  --fullscreen      start fullscreen: the largest scale that fits, centred on black\n"
    "  --help            show this text\n"
    "  --version         show the version\n"
    "\n"
    "Keys:\n"
    "  Space, Enter, left click   turn the page when the triangle blinks; confirm an answer\n"
    "  Up, Down, mouse wheel      move the arrow between the two answers of a question\n"
    "  mouse over an answer       moves the arrow to it; a click on it chooses it\n"
    "  Ctrl (held)                skip: text at once, page waits and pauses pass;\n"
    "                             questions still wait\n"
    "  F11, Alt+Enter             fullscreen on and off\n"
    "  closing the window         ends the story\n";

namespace {

// "1" to "8", or "auto"; false for anything else.
bool ReadScale(const std::string& text, ScreenMode& screen) {
    if (text == "auto") {
        screen.autoScale = true;
        return true;
    }
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kLargestScale) return false;
    screen.scale = text[0] - '0';
    screen.autoScale = false;
    return true;
}

CommandLine Misuse(const std::string& problem) {
    CommandLine line;
    line.action = CommandLine::Action::Misuse;
    line.problem = problem;
    return line;
}

}  // namespace

CommandLine ReadCommandLine(int argc, char** argv) {
    CommandLine line;
    bool folderGiven = false;
    bool optionsEnded = false;  // after "--", a folder whose name starts with "-" can be named
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded) {
            if (argument.empty()) return Misuse("an empty story folder name");
            if (folderGiven) return Misuse("one story folder at most");
            line.storyFolder = argument;
            folderGiven = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (argument == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (argument == "--fullscreen") {
            line.screen.fullscreen = true;
        } else if (argument == "--scale" || argument.rfind("--scale=", 0) == 0) {
            const bool joined = argument.size() > std::strlen("--scale");
            if (!joined && i + 1 >= argc) return Misuse("--scale needs a value: 1 to 8, or auto");
            const std::string value = joined ? argument.substr(std::strlen("--scale=")) : argv[++i];
            if (!ReadScale(value, line.screen))
                return Misuse("--scale takes 1 to 8, or auto, not \"" + value + "\"");
        } else if (argument.empty()) {
            return Misuse("an empty story folder name");  // not the default folder
        } else if (argument[0] == '-') {
            return Misuse("unknown option " + argument);
        } else if (folderGiven) {
            return Misuse("one story folder at most");
        } else {
            line.storyFolder = argument;
            folderGiven = true;
        }
    }
    return line;
}
