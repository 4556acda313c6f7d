#include "author/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_set>

#include "sound/Bgm.h"
#include "script/Interpreter.h"
#include "script/LineMap.h"
#include "script/Rows.h"
#include "script/Scenario.h"
#include "script/Steering.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/Platform.h"
#include "system/TextCodec.h"
#include "author/HeadlessPlatform.h"
#include "author/LineMapFile.h"
#include "window/Crt.h"

namespace {

// No story needs more: a path this long has gone round without anyone to stop it.
constexpr int kMostQuestions = 200;
constexpr long long kMostSteps = 5'000'000;  // about 21 hours of typing

// Places as an author reads them: the source's line through a valid line map, else the scenario's.
class Places {
public:
    Places() { map = ReadLineMapFile(problem); }

    const MappedScenario* Valid(const std::string& file) {
        if (const auto known = valid.find(file); known != valid.end()) return known->second;
        const MappedScenario* mapped = FindMapped(map, file);
        if (mapped != nullptr) {
            try {
                const std::string bytes = ReadAssetFile(AssetPath("Data", file), kScenarioFileCap);
                if (MapStateOf(mapped, bytes.size(), ScenarioHash(bytes)) != MapState::Valid) mapped = nullptr;
            } catch (const RunTimeError&) {
                mapped = nullptr;
            }
        }
        return valid[file] = mapped;
    }

    // "story.txt:15", or "Data00.Dat:13" (lines from 0 in, from 1 out).
    std::string At(const std::string& file, size_t line) {
        int source = 0, column = 0;
        if (const MappedScenario* mapped = Valid(file); mapped != nullptr && SourcePlace(*mapped, line, 1, source, column))
            return PrintableName(mapped->source) + ":" + std::to_string(source);
        return PrintableName(file) + ":" + std::to_string(line + 1);
    }

    // "story.txt: lines 3-5, 9" for lines (from 0) of file.
    std::string Lines(const std::string& file, const std::vector<size_t>& lines) {
        const MappedScenario* mapped = Valid(file);
        const auto number = [&](size_t line) {
            int source = 0, column = 0;
            if (mapped != nullptr && SourcePlace(*mapped, line, 1, source, column)) return source;
            return int(line + 1);
        };
        std::string ranges;
        for (size_t i = 0; i < lines.size();) {
            size_t j = i;
            while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1) ++j;
            if (!ranges.empty()) ranges += ", ";
            ranges += std::to_string(number(lines[i]));
            if (j > i) ranges += '-', ranges += std::to_string(number(lines[j]));
            i = j + 1;
        }
        const std::string name = mapped != nullptr ? PrintableName(mapped->source) : PrintableName(file);
        return name + (lines.size() == 1 ? ": line " : ": lines ") + ranges;
    }

private:
    LineMap map;
    std::string problem;
    std::map<std::string, const MappedScenario*> valid;
};

// Thrown from the step observer to end a path that will never end by itself.
struct PathStop {};

using Clock = std::chrono::steady_clock;

// The states a run was in at its jumps and chains since the last question, each kept as a 64-bit
// hash of the whole state in a table of fixed size: a loop that never repeats a state (a counter
// in flags) runs to the step bound in the memory of the table. A state pushed out by another
// only makes a loop through it take another round to be found.
class TurnTable {
public:
    // Forgets every state (a question was answered, or a path begins).
    void Forget() { ++generation; }

    // True when key was noted since the last Forget, with the page waits noted with it; otherwise
    // notes it with pageWaits.
    bool Seen(uint64_t key, int pageWaits, int& noted) {
        Slot* pair = &slots[(key & kMask) & ~size_t(1)];
        for (Slot* slot = pair; slot != pair + 2; ++slot)
            if (slot->generation == generation && slot->key == key) return noted = slot->pageWaits, true;
        Slot* free = pair[0].generation != generation ? &pair[0] : &pair[1];
        *free = Slot{key, generation, pageWaits};
        return false;
    }

private:
    static constexpr size_t kSlots = size_t(1) << 18;  // 4 MB
    static constexpr size_t kMask = kSlots - 1;
    struct Slot {
        uint64_t key = 0;
        uint32_t generation = 0;
        int32_t pageWaits = 0;
    };
    std::vector<Slot> slots = std::vector<Slot>(kSlots);
    uint32_t generation = 1;
};

// What one run keeps while it is followed.
struct Follow {
    HeadlessPlatform* platform = nullptr;
    Places* places = nullptr;
    const std::vector<int>* forced = nullptr;  // answers to give, then the first answer
    std::map<std::string, std::vector<bool>>* reached = nullptr;
    std::vector<bool>* reachedLines = nullptr;  // of the file loaded now
    TurnTable* turns = nullptr;               // states at jumps and chains since the last question
    StoryPath path;
    std::unordered_set<uint64_t> questionsAsked;  // states at questions on this path
    bool storeChanged = true;                 // a "D" ran since the store was last summed up
    uint64_t storeHash = 0;
    std::map<std::pair<uint64_t, uint64_t>, uint64_t>* storeHashes = nullptr;  // after a load
    long long steps = 0;
    Clock::time_point deadline = Clock::time_point::max();
    int maxSeconds = 0;
    bool timeRanOut = false;
    long long* allSteps = nullptr;  // of every path so far, and their bound (0: none)
    long long maxAllSteps = 0;
    bool stepsRanOut = false;
    std::u32string openedMusic;
    bool musicPlaying = false;
    std::string pictureLoading;  // shown once the step after its "L" comes (a missing one never is)
    // For a read to a line: the scenario file ("Data01.Dat") and the line to stop at.
    std::string targetFile;
    int16_t targetLine = -1;
    bool targetReached = false;
};

Follow* following = nullptr;

// Everything the rest of a run depends on when no answer comes between: where the script stands,
// the flags, and the line store (slots a longer earlier file left behind included), hashed.
uint64_t RunStateKey(Follow& f, const RunState& state) {
    if (f.storeChanged) {
        // The file loaded (its name and bytes), and what longer files loaded before left after
        // its end: a function of the store before and the file, summed up once for each pair.
        const std::pair<uint64_t, uint64_t> change{f.storeHash, CurrentScenarioHash()};
        const auto known = f.storeHashes->find(change);
        if (known != f.storeHashes->end()) {
            f.storeHash = known->second;
        } else {
            size_t end = 0;
            while (end < ScriptLine.size() && ScriptLine[end] != U"e") ++end;
            std::string all = CurrentScenarioFile() + '\0';
            for (size_t slot = end + 1; slot < ScriptLine.size(); ++slot)
                if (!ScriptLine[slot].empty()) all += std::to_string(slot) + ToUtf8(ScriptLine[slot]) + '\0';
            all.append(reinterpret_cast<const char*>(&change.second), sizeof change.second);
            f.storeHash = (*f.storeHashes)[change] = ScenarioHash(all);
        }
        f.storeChanged = false;
    }
    // Taken a word at a time: a jump in a loop costs the hash of the 512 bytes of flags.
    uint64_t words[sizeof Flag / 8 + 2];
    std::memcpy(words, Flag, sizeof Flag);
    words[sizeof Flag / 8] = uint64_t(uint16_t(state.LineNo)) << 16 | uint16_t(state.CharPos);
    words[sizeof Flag / 8 + 1] = f.storeHash;
    uint64_t hash = 0x9E3779B97F4A7C15u;
    for (const uint64_t word : words) {
        hash = (hash ^ word) * 0xBF58476D1CE4E5B9u;
        hash ^= hash >> 31;
    }
    return hash;
}

bool SameFileName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

void AddOnce(std::vector<std::string>& list, const std::string& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

void Stop(Follow& f, StoryPath::Ending ending, std::string where) {
    f.path.ending = ending;
    f.path.where = std::move(where);
    throw PathStop{};
}

void ObserveStep(const RunState& state, char32_t ch) {
    Follow& f = *following;
    const std::string& file = CurrentScenarioFile();
    const size_t line = size_t(state.LineNo);
    if (f.reachedLines == nullptr) {  // looked up again only when a file was chained
        f.reachedLines = &(*f.reached)[file];
        if (f.reachedLines->empty()) f.reachedLines->resize(kLastSlot + 1);
    }
    std::vector<bool>& reached = *f.reachedLines;
    reached[line] = true;
    if (!f.pictureLoading.empty()) AddOnce(f.path.pictures, f.pictureLoading), f.pictureLoading.clear();
    if (f.targetLine >= 0 && state.LineNo == f.targetLine && SameFileName(file, f.targetFile)) {
        f.targetReached = true;
        throw PathStop{};
    }
    if (++f.steps > kMostSteps)
        Stop(f, StoryPath::Ending::Bound, "stopped after " + std::to_string(kMostSteps) + " steps without an ending");
    if (f.maxAllSteps > 0 && ++*f.allSteps > f.maxAllSteps) {
        f.stepsRanOut = true;
        Stop(f, StoryPath::Ending::Bound, "stopped after " + std::to_string(f.maxAllSteps) + " steps in all");
    }
    if ((f.steps & 1023) == 0 && Clock::now() >= f.deadline) {
        f.timeRanOut = true;
        Stop(f, StoryPath::Ending::Bound, "stopped after " + std::to_string(f.maxSeconds) + " s (--max-seconds)");
    }
    switch (ch) {
    case U'P': ++f.path.pageWaits; break;
    case U'L': f.pictureLoading = "Pic" + ToUtf8(NextChars(state, 2)); break;
    case U'B': f.openedMusic = NextChars(state, 2), f.musicPlaying = false; break;
    case U'X':
        if (!f.openedMusic.empty()) AddOnce(f.path.music, "Bgm" + ToUtf8(f.openedMusic));
        f.musicPlaying = !f.openedMusic.empty();
        break;
    case U'Z': f.musicPlaying = false; break;
    case U'G': f.path.ending = StoryPath::Ending::GameOver, f.path.where = f.places->At(file, line); break;
    case U'e':
        // The end mark after a file's last line stands alone in its slot.
        if (ScriptLine[line] == U"e") f.path.ending = StoryPath::Ending::FileEnd, f.path.where = "the end of " + file;
        else f.path.ending = StoryPath::Ending::EndMark, f.path.where = f.places->At(file, line);
        break;
    case U'D':
    case U'J': {
        // A run that comes back to a state it was in, with no question between, goes round for ever.
        int noted = 0;
        const bool seen = f.turns->Seen(RunStateKey(f, state), f.path.pageWaits, noted);
        if (ch == U'D') f.storeChanged = true, f.reachedLines = nullptr;  // the file loaded is another
        if (seen)
            Stop(f, StoryPath::Ending::Loop,
                 f.places->At(file, line) + (noted == f.path.pageWaits
                                                 ? " goes round for ever without a page wait or question"
                                                 : " goes round for ever (with page waits, but no question)"));
        break;
    }
    case U'Q': {
        const std::string place = f.places->At(file, line);
        if (!f.questionsAsked.insert(RunStateKey(f, state)).second)
            Stop(f, StoryPath::Ending::Revisit, place);
        if (int(f.path.answers.size()) >= kMostQuestions)
            Stop(f, StoryPath::Ending::Bound, "stopped after " + std::to_string(kMostQuestions) + " questions");
        const size_t asked = f.path.answers.size();
        f.platform->answer = asked < f.forced->size() ? (*f.forced)[asked] : 1;
        f.platform->answerRead = false;
        f.path.answers.push_back({f.platform->answer, place});
        for (size_t answer = line + 1; answer <= line + 2 && answer <= size_t(kLastSlot); ++answer)
            reached[answer] = true;
        f.turns->Forget();
        break;
    }
    default: break;
    }
}

// Plays the story from its beginning, as a new program would start it, with f's observer.
void FollowPath(Follow& f, HeadlessPlatform& platform, const std::vector<std::pair<int, int16_t>>& flags = {}) {
    for (std::u32string& slot : ScriptLine) slot.clear();
    std::fill(std::begin(Flag), std::end(Flag), int16_t(0));
    BgmClose();
    platform.now = 0;
    platform.answer = 1;
    platform.answerRead = false;
    f.platform = &platform;
    f.turns->Forget();
    following = &f;
    try {
        LoadScenario(U"00");
        for (const auto& [index, value] : flags) Flag[index] = value;
        RunScript();
    } catch (const PathStop&) {
    } catch (const RunTimeError& error) {
        f.path.ending = StoryPath::Ending::Error;
        f.path.where = error.what();
        // A question that failed before it was shown (its answers past line 500) took no answer.
        if (!f.path.answers.empty() && !platform.answerRead) f.path.answers.pop_back();
    }
    following = nullptr;
    f.path.clockMs = platform.now;
}

std::string Minutes(int64_t ms) {
    const int64_t seconds = (ms + 500) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\', out += c;
        else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else out += c;
    }
    return out + "\"";
}

std::string JsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + JsonString(items[i]);
    return out + "]";
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : " ") + item;
    return out.empty() ? "none" : out;
}

}  // namespace

const char* EndingName(StoryPath::Ending ending) {
    switch (ending) {
    case StoryPath::Ending::EndMark: return "end mark";
    case StoryPath::Ending::FileEnd: return "end of file";
    case StoryPath::Ending::GameOver: return "game over";
    case StoryPath::Ending::Error: return "error";
    case StoryPath::Ending::Loop: return "endless loop";
    case StoryPath::Ending::Revisit: return "back to a question";
    case StoryPath::Ending::Bound: return "stopped";
    }
    return "";
}

PathsReport ExplorePaths(const std::string& folder, const PathBounds& bounds,
                         const std::function<void(const StoryPath&, size_t)>& onPath) {
    SetProgramDirectory(folder);
    // It stays the platform in use afterwards, so it outlives the call.
    static HeadlessPlatform platform;
    platform.messageBoxes.clear();
    platform.ForgetFiles();
    SetSystem(&platform);
    SetStepObserver(ObserveStep);
    Crt.Open(300, 300);
    Crt.SetDrawing(false);
    Places places;
    TurnTable turns;
    std::map<std::pair<uint64_t, uint64_t>, uint64_t> storeHashes;
    PathsReport report;
    std::map<std::string, std::vector<bool>> reached;
    std::vector<int> forced;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(bounds.maxSeconds);
    long long allSteps = 0;
    for (;;) {
        Follow f;
        f.allSteps = &allSteps;
        f.maxAllSteps = bounds.maxSteps;
        f.places = &places;
        f.forced = &forced;
        f.reached = &reached;
        f.turns = &turns;
        f.storeHashes = &storeHashes;
        f.deadline = deadline;
        f.maxSeconds = bounds.maxSeconds;
        FollowPath(f, platform);
        const StoryPath& path = f.path;
        ++report.endings[EndingName(path.ending)];
        onPath(path, ++report.pathCount);
        // The next path, depth-first: the last first answer becomes the second, and what came
        // after it is asked again.
        size_t i = path.answers.size();
        while (i > 0 && path.answers[i - 1].answer == 2) --i;
        forced.clear();
        for (size_t k = 0; k + 1 < i; ++k) forced.push_back(path.answers[k].answer);
        if (f.timeRanOut || f.stepsRanOut) {
            report.timeBoundHit = f.timeRanOut;
            report.stepBoundHit = f.stepsRanOut;
            break;
        }
        if (i == 0) break;
        forced.push_back(2);
        if (report.pathCount >= bounds.maxPaths) {
            report.pathBoundHit = true;
            break;
        }
    }
    SetStepObserver(nullptr);
    Crt.SetDrawing(true);

    for (const auto& [file, lines] : reached) {
        size_t count = 0;
        try {
            count = std::min(SplitScenario(file, ReadAssetFile(AssetPath("Data", file), kScenarioFileCap)).lines.size(),
                             size_t(kLastSlot));
        } catch (const RunTimeError&) {
            continue;
        }
        std::vector<size_t> never;
        for (size_t line = 0; line < count; ++line)
            if (!lines[line]) never.push_back(line);
        if (!never.empty()) report.unreached.push_back(places.Lines(file, never));
    }
    report.reached = std::move(reached);
    return report;
}

PathsReport ExplorePaths(const std::string& folder, size_t maxPaths) {
    std::vector<StoryPath> paths;
    PathBounds bounds;
    bounds.maxPaths = maxPaths;
    PathsReport report = ExplorePaths(folder, bounds, [&](const StoryPath& path, size_t) { paths.push_back(path); });
    report.paths = std::move(paths);
    return report;
}

SceneAtLine ReadToLine(const std::u32string& name, int16_t line, const std::vector<std::pair<int, int16_t>>& flags) {
    Platform& player = System();
    HeadlessPlatform platform;
    SetSystem(&platform);
    SetStepObserver(ObserveStep);
    Crt.SetDrawing(false);
    Places places;
    TurnTable turns;
    std::map<std::pair<uint64_t, uint64_t>, uint64_t> storeHashes;
    std::map<std::string, std::vector<bool>> reached;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    // The answers are tried as "tessaro paths" tries them, the first ones first, until a path
    // comes to the line; when none does, the read with every first answer is the one kept.
    std::vector<int> forced;
    Follow f;
    const auto read = [&](Clock::time_point until) {
        f = Follow{};
        f.places = &places;
        f.forced = &forced;
        f.reached = &reached;
        f.turns = &turns;
        f.storeHashes = &storeHashes;
        f.maxSeconds = 10;
        f.deadline = until;
        f.targetFile = "Data" + ToUtf8(name) + ".Dat";
        f.targetLine = line;
        FollowPath(f, platform, flags);
    };
    for (size_t tried = 0;; ++tried) {
        read(deadline);
        if (f.targetReached) break;
        size_t i = f.path.answers.size();
        while (i > 0 && f.path.answers[i - 1].answer == 2) --i;
        const bool more = i > 0 && tried + 1 < 256 && !f.timeRanOut;
        forced.clear();
        for (size_t k = 0; more && k + 1 < i; ++k) forced.push_back(f.path.answers[k].answer);
        if (more) {
            forced.push_back(2);
            continue;
        }
        if (tried > 0) read(Clock::time_point::max());  // none came there: every first answer again
        break;
    }
    BgmClose();  // on the machine without sound: the player opens the piece again on its own
    SetStepObserver(nullptr);
    SetSystem(&player);
    Crt.SetDrawing(true);

    SceneAtLine scene;
    scene.reached = f.targetReached;
    if (!f.openedMusic.empty()) scene.music = "Bgm" + ToUtf8(f.openedMusic) + ".mid";
    scene.musicPlaying = f.musicPlaying;
    if (scene.reached) return scene;
    std::string where = f.path.where.substr(0, f.path.where.find('\n'));
    switch (f.path.ending) {
    case StoryPath::Ending::EndMark:
    case StoryPath::Ending::GameOver:
        scene.why = std::string("the story ends before it (") + EndingName(f.path.ending) + " at " + where + ")";
        break;
    case StoryPath::Ending::FileEnd: scene.why = "the story ends before it (at " + where + ")"; break;
    case StoryPath::Ending::Error: scene.why = "the story stops before it: " + where; break;
    default: scene.why = "the read from the beginning never comes to it (" + where + ")"; break;
    }
    return scene;
}

std::string PathText(const StoryPath& path, size_t number) {
    std::string out = "path " + std::to_string(number) + ": answers";
    if (path.answers.empty()) out += " none";
    for (const StoryPath::Answer& answer : path.answers)
        out += " " + std::to_string(answer.answer) + " (" + answer.place + ")";
    // An error's text keeps its lines, indented under the path's.
    std::string where = path.where;
    for (size_t at = where.find('\n'); at != std::string::npos; at = where.find('\n', at + 1))
        where.insert(at + 1, "    ");
    out += "\n  ends: " + std::string(EndingName(path.ending)) + ": " + where + "\n";
    out += "  reads in " + Minutes(path.ReadingMs()) + " (" + Minutes(path.clockMs) + " typing and pauses, " +
           std::to_string(path.pageWaits) + (path.pageWaits == 1 ? " page wait" : " page waits") + " at 2 s)\n";
    out += "  pictures: " + Joined(path.pictures) + "; music: " + Joined(path.music) + "\n";
    return out;
}

std::string PathsSummaryText(const PathsReport& report, const PathBounds& bounds) {
    std::string out = std::to_string(report.pathCount) + (report.pathCount == 1 ? " path" : " paths");
    std::string kinds;
    for (const auto& [name, count] : report.endings)
        kinds += (kinds.empty() ? "" : ", ") + std::to_string(count) + " " + name;
    out += ": " + kinds + "\n";
    if (report.pathBoundHit)
        out += "note: stopped at " + std::to_string(bounds.maxPaths) + " paths; more remain (--max-paths N)\n";
    if (report.timeBoundHit)
        out += "note: stopped after " + std::to_string(bounds.maxSeconds) +
               " s: the last path was cut short, and more may remain (--max-seconds N)\n";
    for (const std::string& lines : report.unreached) out += "never reached: " + lines + "\n";
    return out;
}

std::string PathJson(const StoryPath& path) {
    std::string out = "  {\"answers\": [";
    for (size_t i = 0; i < path.answers.size(); ++i)
        out += (i ? ", " : "") + std::string("{\"answer\": ") + std::to_string(path.answers[i].answer) +
               ", \"question\": " + JsonString(path.answers[i].place) + "}";
    out += "], \"ending\": \"" + std::string(EndingName(path.ending)) + "\", \"where\": " + JsonString(path.where) +
           ", \"readingMs\": " + std::to_string(path.ReadingMs()) + ", \"typingMs\": " +
           std::to_string(path.clockMs) + ", \"pageWaits\": " + std::to_string(path.pageWaits) +
           ", \"pictures\": " + JsonList(path.pictures) + ", \"music\": " + JsonList(path.music) + "}";
    return out;
}

std::string PathsJsonTail(const PathsReport& report, const PathBounds& bounds) {
    std::string out = report.pathCount == 0 ? "]" : "\n]";
    out += ", \"pageWaitMs\": " + std::to_string(kPageWaitMs) + ", \"maxPaths\": " + std::to_string(bounds.maxPaths) +
           ", \"maxSeconds\": " + std::to_string(bounds.maxSeconds) +
           ", \"moreRemain\": " + (report.pathBoundHit || report.timeBoundHit ? "true" : "false") +
           ", \"timeRanOut\": " + (report.timeBoundHit ? "true" : "false") + ", \"neverReached\": " +
           JsonList(report.unreached) + "}\n";
    return out;
}

std::string PathsText(const PathsReport& report, size_t maxPaths) {
    std::string out;
    for (size_t n = 0; n < report.paths.size(); ++n) out += PathText(report.paths[n], n + 1);
    PathBounds bounds;
    bounds.maxPaths = maxPaths;
    return out + PathsSummaryText(report, bounds);
}

std::string PathsJson(const PathsReport& report, size_t maxPaths) {
    std::string out = "{\"paths\": [";
    for (size_t n = 0; n < report.paths.size(); ++n) out += (n == 0 ? "\n" : ",\n") + PathJson(report.paths[n]);
    PathBounds bounds;
    bounds.maxPaths = maxPaths;
    return out + PathsJsonTail(report, bounds);
}
