#include "app/Options.h"

#include <optional>

#include "system/Boolean.h"
#include "script/StartPoint.h"

const char* const kUsage =
    "Usage: tessaro [OPTION]... [--] [STORY-FOLDER]\n"
    "       tessaro check [--json] [STORY-FOLDER]   (finds what would go wrong in a story)\n"
    "       tessaro convert SOURCE.txt DATA.Dat     (UTF-8 text to a scenario file)\n"
    "       tessaro paths [--json] [STORY-FOLDER]   (plays every path without a window)\n"
    "       tessaro publish [--web] [--windows] [--out DIR] [--title TEXT] STORY-FOLDER\n"
    "                                    (the zips players download: a web site, Windows)\n"
    "Plays the sound novel in STORY-FOLDER (by default the folder that holds this program):\n"
    "its Data, Picture, Bgm and Wave folders. A story folder named check, convert, paths or publish is\n"
    "played as a path: tessaro ./check\n"
    "\n"
    "Options:\n"
    "  --scale N         show the window N times larger (N = 1 to 8), pixels kept crisp\n"
    "  --scale auto      the largest N whose window fits in the desktop\n"
    "  --fullscreen      start fullscreen: the largest scale that fits, centred on black\n"
    "  --volume N        music and sound effects at N percent (0 to 100; 100 by default)\n"
    "  --text-speed S    how fast text types: slow, normal (the default), fast or instant\n"
    "  --help            show this text\n"
    "  --version         show the version\n"    "\n"
    "For authors (see also tessaro paths):\n"
    "  --start FILE:LINE start at that line: of a scenario file (Data01.Dat:12) or, through\n"
    "                    the line map tessaro convert writes, of its source (story.txt:15),\n"
    "                    with the picture and music a read from the beginning has there\n"
    "  --start *label    start at the line a label of the source names\n"
    "  --flag N=V        set flag N (00 to FF, hexadecimal) to V (1 set, 0 clear) before\n"
    "                    the story starts; may be given again\n"
    "  --watch           when the scenario file being played or its source changes on\n"
    "                    disk, start again at the page on screen, keeping the flags, the\n"
    "                    picture and the music\n"
    "\n"
    "Keys:\n"
    "  Space, Enter, left click   turn the page when the triangle blinks; confirm an answer\n"
    "  Up, Down, mouse wheel      move the arrow between the two answers of a question\n"
    "  mouse over an answer       moves the arrow to it; a click on it chooses it\n"
    "  Ctrl (held)                skip: text at once, page waits and pauses pass;\n"
    "                             questions still wait\n"
    "  PageUp, Home, wheel up     the backlog: read the earlier pages again (the wheel\n"
    "                             outside a question); Up, Down, PageUp, PageDown scroll;\n"
    "                             Escape, Space, right click or PageDown at the end return\n"
    "  M                          mute on and off\n"
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

CommandLine Misuse(const std::string& problem, bool badValue = false) {
    CommandLine line;
    line.action = CommandLine::Action::Misuse;
    line.problem = problem;
    line.badValue = badValue;
    return line;
}

// "0" to "100"; false for anything else.
bool ReadVolume(const std::string& text, int& volume) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int value = std::stoi(text);
    if (value > 100) return false;
    volume = value;
    return true;
}

// An option with a value, as "--name VALUE" or "--name=VALUE": true when argv[i] is it, with the
// value in value (i moved past it), or missing set when the command line ends before it.
bool OptionWithValue(const std::string& name, int argc, char** argv, int& i, std::string& value,
                     bool& missing) {
    const std::string argument = argv[i];
    missing = false;
    if (argument == name) {
        if (i + 1 >= argc) {
            missing = true;
            return true;
        }
        value = argv[++i];
        return true;
    }
    if (argument.rfind(name + "=", 0) != 0) return false;
    value = argument.substr(name.size() + 1);
    return true;
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
        std::string value;
        bool missing = false;
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
        } else if (OptionWithValue("--scale", argc, argv, i, value, missing)) {
            if (missing) return Misuse("--scale needs a value: 1 to 8, or auto", true);
            if (!ReadScale(value, line.screen))
                return Misuse("--scale takes 1 to 8, or auto, not \"" + value + "\"", true);
        } else if (OptionWithValue("--volume", argc, argv, i, value, missing)) {
            if (missing) return Misuse("--volume needs a value: 0 to 100", true);
            if (!ReadVolume(value, line.volume))
                return Misuse("--volume takes 0 to 100, not \"" + value + "\"", true);
        } else if (OptionWithValue("--text-speed", argc, argv, i, value, missing)) {
            const char* const speeds = "slow, normal, fast or instant";
            if (missing) return Misuse(std::string("--text-speed needs a value: ") + speeds, true);
            const std::optional<TextSpeed> speed = TextSpeedNamed(value);
            if (!speed) return Misuse(std::string("--text-speed takes ") + speeds + ", not \"" + value + "\"", true);
            line.textSpeed = *speed;
        } else if (argument == "--watch") {
            line.watch = true;
        } else if (OptionWithValue("--start", argc, argv, i, value, missing)) {
            if (missing) return Misuse("--start needs a value: FILE:LINE or *label", true);
            if (!IsStartText(value))
                return Misuse("--start takes FILE:LINE (a line from 1) or *label, not \"" + value + "\"", true);
            line.start = value;
        } else if (OptionWithValue("--flag", argc, argv, i, value, missing)) {
            std::pair<int, int16_t> flag;
            if (missing) return Misuse("--flag needs a value: N=V", true);
            if (!ReadFlag(value, flag))
                return Misuse("--flag takes N=V (N from 00 to FF in hexadecimal, V 1 or 0), not \"" + value + "\"", true);
            line.flags.push_back(flag);
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
