#include "author/ScriptWalk.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

#include "script/Arguments.h"
#include "script/Commands.h"
#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/TextCodec.h"
#include "author/CheckFiles.h"
#include "author/CheckedRows.h"
#include "author/NearestName.h"
#include "system/Picture.h"
#include "window/Crt.h"

namespace {

constexpr size_t kStatesPerPlace = 8;
constexpr double kReadingPauseMs = 500;
// The character position is a 16-bit count, one ahead of the index once a step is drawn: a line
// is read up to this index and no further.
constexpr size_t kLastIndex = 32766;

// Widths of text as the box draws it. Measuring a whole row with the font costs a glyph load
// for each character; the sum of single characters' widths (each measured once) is exact for
// this face to within a few pixels, so only rows that come near the limit are measured whole.
class TextWidths {
public:
    int Of(std::u32string_view text, int limit) {
        int estimate = 0;
        for (const char32_t c : text) {
            auto known = single.find(c);
            if (known == single.end()) known = single.emplace(c, Crt.TextWidth(std::u32string_view(&c, 1))).first;
            estimate += known->second;
        }
        return estimate + kMargin < limit ? estimate : Crt.TextWidth(text);
    }

private:
    static constexpr int kMargin = 24;
    std::unordered_map<char32_t, int> single;
};

// Where the script stands, with what the box holds: the same line reached with other rows is
// another state.
struct State {
    CheckedFile* file = nullptr;
    size_t line = 0;
    size_t index = 0;  // of the next character in the line
    int row = 0;
    CheckedRows::Id rowText = CheckedRows::kEmpty;  // the current row's text so far
    bool fifthRowText = false;                      // the current row is the fifth and holds text
    bool unread = false;                            // text typed since the last "P"

    // What tells states at one place apart.
    uint64_t Variant() const { return uint64_t(rowText) << 8 | uint64_t(row) << 1 | uint64_t(unread); }
};

bool IsAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }
bool IsAsciiLower(char32_t c) { return c >= U'a' && c <= U'z'; }

std::string Quoted(std::u32string_view text) {
    std::u32string shown;
    for (const char32_t c : text) shown += c == U'\n' ? U'↵' : c;
    std::string quoted = "\"";
    quoted += ToUtf8(shown);
    quoted += '"';
    return quoted;
}

std::string Hex2(int value) {
    static const char* digits = "0123456789ABCDEF";
    return std::string{digits[value / 16], digits[value % 16]};
}

class Walk {
public:
    explicit Walk(StoryFiles& story) : files(story) {}

    // The media files the reached commands named, by real path.
    void Named(std::vector<std::string>& out) const {
        for (const auto* found : {&pictures, &sounds})
            for (const auto& entry : *found) out.push_back(LocateFile(entry.first));
    }

    void Start(CheckedFile* file) {
        State start;
        start.file = file;
        Queue(std::move(start));
        while (!pending.empty()) {
            State state = std::move(pending.front());
            pending.pop_front();
            Run(state);
        }
    }

    std::vector<Diagnostic> findings;

private:
    void Report(const State& s, size_t index, Severity severity, std::string message) {
        findings.push_back(s.file->At(s.line, index, severity, std::move(message)));
    }

    void Queue(State state) {
        const Place place{state.file, state.line, state.index};
        std::vector<uint64_t>& variants = statesAt[place];
        const uint64_t variant = state.Variant();
        if (std::find(variants.begin(), variants.end(), variant) != variants.end()) return;
        if (variants.size() >= kStatesPerPlace) return;  // enough ways of reaching one place
        variants.push_back(variant);
        pending.push_back(std::move(state));
    }

    // The row leaves the screen or stays; what it held no longer matters.
    void FlushRow(State& s) {
        s.rowText = CheckedRows::kEmpty;
        s.fifthRowText = false;
    }

    // The box is emptied by what stands at index; text not yet paged with "P" vanishes unread.
    void ClearBox(State& s, size_t index, const char* what) {
        const bool ghost = s.fifthRowText;
        FlushRow(s);
        if (s.unread && !ghost)
            Report(s, index, Severity::Warning,
                   std::string("the page ends without \"P\" before ") + what + ": its text vanishes at once");
        s.row = 0;
        s.unread = false;
    }

    void NextRow(State& s, size_t index) {
        const bool ghost = s.fifthRowText;
        FlushRow(s);
        s.fifthRowText = false;
        if (++s.row >= kRows) {
            if (s.unread && !ghost)
                Report(s, index, Severity::Warning,
                       "the page ends without \"P\" as the box fills: its text vanishes at once");
            s.row = 0;
            s.unread = false;
        }
    }

    // The end mark after the file's last line, or "e": the program ends.
    void EndOfStory(State& s, size_t line, size_t index) {
        FlushRow(s);
        if (!s.unread) return;
        State at = s;
        at.line = line;
        Report(at, index, Severity::Warning, "the story ends without \"P\": its last words vanish at once");
    }

    // Does the letter at index, with what follows, read like words rather than a command?
    bool LooksLikeText(const std::u32string& text, size_t index, const CommandLetter& command) {
        const char32_t before = index > 0 ? text[index - 1] : U'\0';
        const char32_t after = index + 1 < text.size() ? text[index + 1] : U'\0';
        if (command.letter == U'e') return IsAsciiLower(before) || IsAsciiLetter(after) || after == U' ';
        // "Pe": a page wait and then the end, not a word.
        const bool endFollows = after == U'e' && (index + 2 >= text.size() || text[index + 2] == U'\\');
        if (command.length == 0) return (IsAsciiLower(after) && !endFollows) || after == U' ';
        // Lower-case hexadecimal digits count too: flag numbers are written in upper case, and
        // "See" is far more likely than flag EE.
        for (const char32_t c : std::u32string_view(text).substr(index + 1, size_t(command.length)))
            if (c == U' ' || IsAsciiLower(c)) return true;
        return false;
    }

    // Why the music or effect device would stay silent, the file read by the player's own reader
    // under its cap and its kind told as the device tells it; "" when it would play.
    const std::string& SoundFault(const char* folder, const std::string& fileName) {
        const std::string path = AssetPath(folder, fileName);
        auto known = sounds.find(path);
        if (known != sounds.end()) return known->second;
        std::string fault;
        try {
            const std::string bytes = ReadAssetFile(path, kMediaFileCap);
            const bool wave = bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0;
            const bool midi = (bytes.size() >= 14 && bytes.compare(0, 4, "MThd") == 0) ||
                              (bytes.size() >= 20 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "RMID") == 0);
            if (std::string(folder) == "Wave" ? !wave : !midi)
                fault = PrintableName(LocateFile(path)) + std::string(" is not a ") +
                        (std::string(folder) == "Wave" ? "wave" : "MIDI") + " file";
        } catch (const RunTimeError& error) {
            fault = error.what();
        }
        return sounds.emplace(path, std::move(fault)).first->second;
    }

    // Why the player cannot show the picture, read and decoded by its own reader; "" when it can.
    const std::string& PictureFault(const std::string& fileName) {
        const std::string path = AssetPath("Picture", fileName);
        auto known = pictures.find(path);
        if (known != pictures.end()) return known->second;
        std::string fault;
        try {
            LoadPicture(path);
        } catch (const RunTimeError& error) {
            fault = error.what();
        }
        return pictures.emplace(path, std::move(fault)).first->second;
    }

    void Run(State s) {
        for (;;) {
            CheckedFile& file = *s.file;
            if (s.line >= file.Count()) {  // the end mark
                EndOfStory(s, file.Count() - (file.Count() > 0 ? 1 : 0),
                           file.Count() > 0 ? file.lines[file.Count() - 1].size() : 0);
                return;
            }
            file.reached[s.line] = true;
            const std::u32string& text = file.lines[s.line];
            if (s.index > kLastIndex) {
                Report(s, std::min(s.index, text.size()), Severity::Error,
                       "the line is read past its 32767th character, which the character position cannot "
                       "count: the player stops here");
                return;
            }
            if (s.index < text.size() && text[s.index] == U'\\' && s.index + 1 < text.size())
                Report(s, s.index, Severity::Warning,
                       "\"\\\" ends the line here: the rest of the line is never run");
            // The end-of-line mark, written out or the one after the line's text, and a line feed
            // inside the line all end the line.
            if (s.index >= text.size() || text[s.index] == U'\n' || text[s.index] == U'\\') {
                NextRow(s, s.index);
                ++s.line;
                s.index = 0;
                continue;
            }
            const size_t at = s.index;
            const char32_t ch = text[at];
            const CommandLetter* command = FindCommandLetter(ch);
            if (command == nullptr) {
                Type(s, ch);
                ++s.index;
                continue;
            }
            if (!Command(s, *command)) return;
        }
    }

    void Type(State& s, char32_t ch) {
        if (ch < 0x20 && ch != U'\t') return;  // shown as nothing
        if (s.row == kRows - 1 && !s.fifthRowText) {
            Report(s, s.index, Severity::Warning,
                   "text on the fifth row lies below the box and stays on the picture: page with \"P\" and "
                   "\"C\" after four rows");
            s.fifthRowText = true;
        }
        const CheckedRows::Id before = s.rowText;
        s.rowText = rows.Append(s.rowText, ch);
        // Once a line: paths that differ in what the row held before reach the edge at other
        // characters of it.
        if (s.rowText == CheckedRows::kPastTheEdge && before != CheckedRows::kPastTheEdge &&
            overflowingLines.emplace(s.file, s.line).second)
            Report(s, s.index, Severity::Warning,
                   "the row is wider than the box (" + std::to_string(kRowWidth) +
                       " pixels fit): from here it runs past the right edge");
        s.unread = true;
    }

    // Runs one command; false when this path ends here.
    bool Command(State& s, const CommandLetter& command) {
        const std::u32string& text = s.file->lines[s.line];
        const size_t at = s.index;
        const std::string letter = ToUtf8(std::u32string(1, command.letter));
        const std::u32string argument = text.substr(at + 1, size_t(command.length));
        const bool textLike = LooksLikeText(text, at, command);
        const std::string file = AssetFileName(command, argument);
        if (argument.size() < size_t(command.length) || argument.find_first_of(U"\n\\") != std::u32string::npos) {
            Report(s, at, Severity::Error,
                   "the argument of \"" + letter + "\" runs past the end of the line (it takes " +
                       std::to_string(command.length) + " characters, the end-of-line mark among them)");
            return FollowShortArgument(s, command);
        }
        const bool flagWithLabel = command.letter == U'F' && argument.find_first_of(U"ab") != std::u32string::npos;
        if (command.kind == ArgumentKind::FlagIndex && !(textLike && command.letter != U'F') &&
            FlagIndexFault(s, at, letter, argument)) {
        } else if (flagWithLabel) {
            Report(s, at, Severity::Warning,
                   "flag index " + Quoted(argument) + " holds a lower-case \"a\" or \"b\", which the branch finds "
                   "as its own label: write it in upper case");
        } else if (textLike && command.letter == U'e') {
            Report(s, at, Severity::Warning, "\"e\" here ends the story, not text: write letters in story text full-width");
        } else if (textLike && command.letter != U'D' && command.letter != U'L') {
            Report(s, at, Severity::Warning,
                   "\"" + letter + "\" here is a command" +
                       (command.length > 0 ? " taking " + Quoted(argument) : std::string()) +
                       ", not text: write letters in story text full-width");
        }
        s.index = at + 1 + size_t(command.length);
        switch (command.letter) {
        case U'e':
            if (!textLike) EndOfStory(s, s.line, at);
            return false;
        case U'C': ClearBox(s, at, "\"C\""); return true;
        case U'P': s.unread = false; return true;
        case U'X':
        case U'Z': return true;
        case U'G': FlushRow(s); return false;
        case U'S':
        case U'R': return true;
        case U'T':
            // A pause of half a second or more is the author's way of letting the text be read
            // before it is cleared; a number that does not fit stops the player, but the rest is
            // still worth reading.
            if (FitsOrReport(s, at, argument, std::numeric_limits<int32_t>::min(),
                             std::numeric_limits<int32_t>::max(), "wait") &&
                DecimalValue(argument) >= kReadingPauseMs)
                s.unread = false;
            return true;
        case U'W':
        case U'B':
            if (!textLike)
                if (const std::string& fault = SoundFault(command.asset.folder, file); !fault.empty())
                    Report(s, at, Severity::Warning,
                           "\"" + letter + ToUtf8(argument) + "\": " + fault + " (it stays silent)");
            return true;
        case U'L':
            if (const std::string& fault = PictureFault(file); !fault.empty())
                Report(s, at, Severity::Error,
                       "\"L" + ToUtf8(argument) + "\": " + fault + ", and the player stops here" +
                           (textLike ? " (is this text?)" : ""));
            return true;
        case U'D': return Chain(s, at, argument, textLike);
        case U'J': return JumpTo(s, at, argument);
        case U'F': Branch(s, at, argument); return false;
        case U'Q': Question(s, at); return false;
        }
        return true;
    }

    // A flag index is two hexadecimal digits; the player reads any two characters, as far as they
    // are digits. True when this one is not, reported with what the player does with it.
    bool FlagIndexFault(const State& s, size_t at, const std::string& letter, const std::u32string& argument) {
        const auto hex = [](char32_t c) {
            return (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'F') || (c >= U'a' && c <= U'f');
        };
        const std::string flag = Hex2(FlagIndex(argument));
        const std::string written = "\"" + letter + ToUtf8(argument) + "\"";
        if (hex(argument[0]) && hex(argument[1])) {
            // "F1a": one digit, and the label after it read as the second.
            if (letter != "F" || (argument[1] != U'a' && argument[1] != U'b') || argument[0] == U'a' || argument[0] == U'b')
                return false;
            Report(s, at, Severity::Warning,
                   written + " reads flag " + flag + ", and its \"" + ToUtf8(argument.substr(1)) +
                       "\" is also the branch's label: a flag index is two digits (F0" + ToUtf8(argument.substr(0, 1)) +
                       ToUtf8(argument.substr(1)) + ")");
            return true;
        }
        std::string swallowed;
        for (const char32_t c : argument)
            if (!hex(c) && c != U' ' && c != U'\t') swallowed += c == U'\n' ? "↵" : ToUtf8(std::u32string(1, c));
        Report(s, at, Severity::Error,
               "flag index " + Quoted(argument) + " is not two hexadecimal digits (00 to FF): " + written +
                   " reads flag " + flag + ", and \"" + swallowed + "\" is taken as part of it, never shown");
        return true;
    }

    bool FitsOrReport(const State& s, size_t at, const std::u32string& argument, int64_t low, int64_t high,
                      const char* what) {
        try {
            RoundedValue(argument, low, high, what);
            return true;
        } catch (const RunTimeError&) {
            Report(s, at, Severity::Error,
                   "the number " + Quoted(argument) + " does not fit the " + what + " (" + std::to_string(low) +
                       " to " + std::to_string(high) + "): the player stops here");
            return false;
        }
    }

    // A command whose argument took in the end-of-line mark: the player goes on as it would.
    bool FollowShortArgument(State& s, const CommandLetter& command) {
        if (command.letter == U'D' || command.letter == U'F') return false;
        if (command.letter == U'J') {
            const std::u32string& text = s.file->lines[s.line];
            return JumpTo(s, s.index, text.substr(s.index + 1) + U"\\", false);
        }
        s.index = s.file->lines[s.line].size();
        return true;
    }

    bool Chain(State& s, size_t at, const std::u32string& name, bool textLike) {
        std::string why;
        CheckedFile* next = files.Load(name, why);
        if (next == nullptr) {
            std::vector<std::string> names;
            for (const auto& [file, path] : files.DataFolder()) names.push_back(file.substr(4, 2));
            const std::string nearest = NearestName(ToUtf8(name), names);
            Report(s, at, Severity::Error,
                   "\"D" + ToUtf8(name) + "\": there is no Data/Data" + ToUtf8(name) + ".Dat, and the player stops "
                   "here" + (textLike ? " (is this text?)" : "") +
                       (nearest.empty() ? "" : " (is it \"D" + nearest + "\"?)"));
            return false;
        }
        if (!next->loadable) return false;
        NextRow(s, at);
        s.file = next;
        s.line = 0;
        s.index = 0;
        Queue(std::move(s));
        return false;
    }

    bool JumpTo(State& s, size_t at, const std::u32string& argument, bool report = true) {
        int64_t target = 0;
        try {
            target = RoundedValue(argument, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max(),
                                  "the jump target");
        } catch (const RunTimeError&) {
            if (report)
                Report(s, at, Severity::Error,
                       "the jump target " + Quoted(argument) + " does not fit (-32768 to 32767): the player stops here");
            return false;
        }
        const size_t count = s.file->Count();
        if (target < 0 || target > kLastSlot) {
            if (report)
                Report(s, at, Severity::Error,
                       "\"J\" to line " + std::to_string(target) + ", outside the script (0 to 500): the player stops");
            return false;
        }
        if (size_t(target) > count) {
            if (report)
                Report(s, at, Severity::Error,
                       "\"J\" to line " + std::to_string(target) + ", past the file's last line (" +
                           std::to_string(count == 0 ? 0 : count - 1) + "): it runs leftover or empty lines");
            return false;
        }
        s.line = size_t(target);
        s.index = 0;
        Queue(std::move(s));
        return false;
    }

    void Branch(State& s, size_t at, const std::u32string& argument) {
        const std::u32string& text = s.file->lines[s.line];
        const int flag = FlagIndex(argument);
        std::string missing;
        for (const char32_t label : {U'a', U'b'}) {
            const size_t found = text.find(label, at);
            if (found == std::u32string::npos) {
                missing += missing.empty() ? "" : " and ";
                missing += label == U'a' ? "\"a\" (flag set)" : "\"b\" (flag clear)";
                continue;
            }
            State branch = s;
            branch.index = found + 1;
            Queue(std::move(branch));
        }
        if (!missing.empty())
            Report(s, at, Severity::Error,
                   "\"F" + ToUtf8(argument) + "\" has no label " + missing + " after it in this line (flag " +
                       Hex2(flag) + ")");
    }

    void Question(State& s, size_t at) {
        const size_t count = s.file->Count();
        if (s.line + 2 > size_t(kLastSlot)) {
            Report(s, at, Severity::Error, "a question on line " + std::to_string(s.line) +
                                               " has its answers past line 500: the player stops here");
            return;
        }
        if (s.line + 2 >= count) {
            for (size_t answer = s.line + 1; answer < count; ++answer) s.file->reached[answer] = true;
            Report(s, at, Severity::Error, "the question's two answer lines are missing at the end of the file");
            return;
        }
        ClearBox(s, at, "the question");
        CheckedFile& file = *s.file;
        const auto tooWide = [&](size_t line, size_t from, int width) {
            const std::u32string_view shown = std::u32string_view(file.lines[line]).substr(from);
            if (widths.Of(shown, width) > width)
                findings.push_back(file.At(line, from, Severity::Warning,
                                           "the " + std::string(line == s.line ? "question" : "answer") +
                                               " is wider than the box: it runs past the right edge"));
        };
        tooWide(s.line, at + 1, kRowWidth);
        for (size_t answer = s.line + 1; answer <= s.line + 2; ++answer) {
            file.reached[answer] = true;
            tooWide(answer, 0, kAnswerWidth);
        }
        s.line += 3;
        s.index = 0;
        Queue(std::move(s));
    }

    StoryFiles& files;
    TextWidths widths;
    CheckedRows rows;
    std::set<std::pair<CheckedFile*, size_t>> overflowingLines;  // where a row ran past the edge
    std::map<std::string, std::string> pictures;  // by path: why it cannot be shown, or ""
    std::map<std::string, std::string> sounds;    // by path: why it stays silent, or ""
    std::deque<State> pending;
    // The states queued at each place, each kept as its variant only: a story of many branches
    // costs memory in proportion to its places.
    struct Place {
        CheckedFile* file;
        size_t line, index;
        bool operator==(const Place&) const = default;
    };
    struct PlaceHash {
        size_t operator()(const Place& p) const {
            return std::hash<const void*>()(p.file) ^ (p.line * 0x9E3779B97F4A7C15u) ^ (p.index * 0xC2B2AE3D27D4EB4Fu);
        }
    };
    std::unordered_map<Place, std::vector<uint64_t>, PlaceHash> statesAt;
};

}  // namespace

std::vector<Diagnostic> WalkScript(StoryFiles& story, CheckedFile* first, std::vector<std::string>* named) {
    Walk walk(story);
    walk.Start(first);
    if (named != nullptr) walk.Named(*named);
    return std::move(walk.findings);
}
