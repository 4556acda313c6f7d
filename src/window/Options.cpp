#include "window/Options.h"

#include <cstring>

#include "common/Boolean.h"
#include "script/StartPoint.h"

const char* const kUsage =
    "Usage: tessaro [OPTION]... [STORY-FOLDER]\n"
    "       tessaro check [--json] [STORY-FOLDER]   (finds what would go wrong in a story)\n"
    "       tessaro convert SOURCE.txt DATA.Dat     (UTF-8 text to a scenario file)\n"
    "       tessaro paths [--json] [STORY-FOLDER]   (plays every path without a window)\n"
    "Plays the sound novel in STORY-FOLDER (by default the folder that holds this program):\n"
    "its Data, Picture, Bgm and Wave folders. A story folder named check, convert or paths is\n"
    "played as a path: tessaro ./check\n"
    "\n"
    "Options:\n"
    "  --scale N         show the window N times larger (N = 1 to 8), pixels kept crisp\n"
    "  --scale auto      the largest N whose window fits in the desktop\n"
    "  --fullscreen      start fullscreen: the largest scale that fits, centred on black\n"

    "  --help            show this text\n"
    "  --version         show the version\n"    "\n"
    "For authors (see also tessaro paths):\n"
    "  --start FILE:LINE start at that line: of a scenario file (Data01.Dat:12) or, through\n"
    "                    the line map tessaro convert writes, of its source (story.txt:15)\n"
    "  --start *label    start at the line a label of the source names\n"
    "  --flag N=V        set flag N (00 to FF, hexadecimal) to V (1 set, 0 clear) before\n"
    "                    the story starts; may be given again\n"
    "  --watch           when the scenario file being played changes on disk, start again\n"
    "                    at the same line of it, keeping the flags, the picture and the music\n"
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

// "N=V": a flag index in one or two hexadecimal digits, and 0 or 1.
bool ReadFlag(const std::string& text, std::pair<int, int16_t>& flag) {
    const size_t equals = text.find('=');
    if (equals == 0 || equals > 2 || equals + 2 != text.size()) return false;
    if (text.substr(0, equals).find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    if (text[equals + 1] != '0' && text[equals + 1] != '1') return false;
    flag = {std::stoi(text.substr(0, equals), nullptr, 16), text[equals + 1] == '1' ? kTrue : kFalse};
    return true;
}

CommandLine Misuse(const std::string& problem, bool showUsage = true) {
    CommandLine line;
    line.action = CommandLine::Action::Misuse;
    line.problem = problem;
    line.showUsage = showUsage;
    return line;
}

}  // namespace

CommandLine ReadCommandLine(int argc, char** argv) {
    CommandLine line;
    bool folderGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
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
        } else if (argument == "--watch") {
            line.watch = true;
        } else if (argument == "--scale" || argument.rfind("--scale=", 0) == 0) {
            const bool joined = argument.size() > std::strlen("--scale");
            if (!joined && i + 1 >= argc) return Misuse("--scale needs a value: 1 to 8, or auto");
            const std::string value = joined ? argument.substr(std::strlen("--scale=")) : argv[++i];
            if (!ReadScale(value, line.screen))
                return Misuse("--scale takes 1 to 8, or auto, not \"" + value + "\"");
        } else if (argument == "--start" || argument.rfind("--start=", 0) == 0 || argument == "--flag" ||
                   argument.rfind("--flag=", 0) == 0) {
            const bool start = argument.rfind("--start", 0) == 0;
            const std::string option = start ? "--start" : "--flag";
            const bool joined = argument.size() > option.size();
            if (!joined && i + 1 >= argc)
                return Misuse(option + (start ? " needs a value: FILE:LINE or *label" : " needs a value: N=V"), false);
            const std::string value = joined ? argument.substr(option.size() + 1) : argv[++i];
            std::pair<int, int16_t> flag;
            if (start && !IsStartText(value))
                return Misuse("--start takes FILE:LINE (a line from 1) or *label, not \"" + value + "\"", false);
            if (!start && !ReadFlag(value, flag))
                return Misuse("--flag takes N=V (N from 00 to FF in hexadecimal, V 1 or 0), not \"" + value + "\"", false);
            if (start) line.start = value;
            else line.flags.push_back(flag);
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
