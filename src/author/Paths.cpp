#include "author/Paths.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "sound/Bgm.h"
#include "script/Interpreter.h"
#include "script/LineMap.h"
#include "script/Rows.h"
#include "script/Scenario.h"
#include "script/Steering.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/TextCodec.h"
#include "author/HeadlessPlatform.h"
#include "author/JsonText.h"
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

// What one run keeps while it is followed.
struct Follow {
    HeadlessPlatform* platform = nullptr;
    Places* places = nullptr;
    const std::vector<int>* forced = nullptr;  // answers to give, then the first answer
    std::map<std::string, std::vector<bool>>* reached = nullptr;
    StoryPath path;
    std::set<std::string> questionsAsked;     // states at questions on this path
    std::map<std::string, int> turns;         // states at jumps and chains since the last question
    bool storeChanged = true;                 // a "D" ran since the store was last summed up
    uint64_t storeHash = 0;
    long long steps = 0;
    std::u32string openedMusic;
    std::string pictureLoading;  // shown once the step after its "L" comes (a missing one never is)
};

Follow* following = nullptr;

// Everything the rest of a run depends on when no answer comes between: where the script stands,
// the flags, and the line store (slots a longer earlier file left behind included).
std::string RunStateKey(Follow& f, const RunState& state) {
    if (f.storeChanged) {
        std::string all;
        for (const std::u32string& slot : ScriptLine) all += ToUtf8(slot) + '\0';
        f.storeHash = ScenarioHash(all);
        f.storeChanged = false;
    }
    std::string key = CurrentScenarioFile();
    key.append(reinterpret_cast<const char*>(&state.LineNo), sizeof state.LineNo);
    key.append(reinterpret_cast<const char*>(&state.CharPos), sizeof state.CharPos);
    key.append(reinterpret_cast<const char*>(Flag), sizeof Flag);
    key.append(reinterpret_cast<const char*>(&f.storeHash), sizeof f.storeHash);
    return key;
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
    std::vector<bool>& reached = (*f.reached)[file];
    if (reached.empty()) reached.resize(kLastSlot + 1);
    reached[line] = true;
    if (!f.pictureLoading.empty()) AddOnce(f.path.pictures, f.pictureLoading), f.pictureLoading.clear();
    if (++f.steps > kMostSteps)
        Stop(f, StoryPath::Ending::Bound, "stopped after " + std::to_string(kMostSteps) + " steps without an ending");
    switch (ch) {
    case U'P': ++f.path.pageWaits; break;
    case U'L': f.pictureLoading = "Pic" + ToUtf8(NextChars(state, 2)); break;
    case U'B': f.openedMusic = NextChars(state, 2); break;
    case U'X':
        if (!f.openedMusic.empty()) AddOnce(f.path.music, "Bgm" + ToUtf8(f.openedMusic));
        break;
    case U'G': f.path.ending = StoryPath::Ending::GameOver, f.path.where = f.places->At(file, line); break;
    case U'e':
        // The end mark after a file's last line stands alone in its slot.
        if (ScriptLine[line] == U"e") f.path.ending = StoryPath::Ending::FileEnd, f.path.where = "the end of " + file;
        else f.path.ending = StoryPath::Ending::EndMark, f.path.where = f.places->At(file, line);
        break;
    case U'D':
    case U'J': {
        // A run that comes back to a state it was in, with no question between, goes round for ever.
        const auto [at, added] = f.turns.emplace(RunStateKey(f, state), f.path.pageWaits);
        if (ch == U'D') f.storeChanged = true;  // summed up again at the next turn, once loaded
        if (!added)
            Stop(f, StoryPath::Ending::Loop,
                 f.places->At(file, line) + (at->second == f.path.pageWaits
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
        f.turns.clear();
        break;
    }
    default: break;
    }
}

StoryPath FollowPath(HeadlessPlatform& platform, Places& places, const std::vector<int>& forced,
                     std::map<std::string, std::vector<bool>>& reached) {
    // The story as a new program would start it.
    for (std::u32string& slot : ScriptLine) slot.clear();
    std::fill(std::begin(Flag), std::end(Flag), int16_t(0));
    BgmClose();
    platform.now = 0;
    platform.answer = 1;
    platform.answerRead = false;
    Crt.Open(300, 300);

    Follow f;
    f.platform = &platform;
    f.places = &places;
    f.forced = &forced;
    f.reached = &reached;
    following = &f;
    try {
        LoadScenario(U"00");
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
    return std::move(f.path);
}

std::string Minutes(int64_t ms) {
    const int64_t seconds = (ms + 500) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
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

PathsReport ExplorePaths(const std::string& folder, size_t maxPaths) {
    SetProgramDirectory(folder);
    // It stays the platform in use afterwards, so it outlives the call.
    static HeadlessPlatform platform;
    platform.messageBoxes.clear();
    SetSystem(&platform);
    SetStepObserver(ObserveStep);
    Places places;
    PathsReport report;
    std::map<std::string, std::vector<bool>> reached;
    std::vector<int> forced;
    for (;;) {
        StoryPath path = FollowPath(platform, places, forced, reached);
        // The next path, depth-first: the last first answer becomes the second, and what came
        // after it is asked again.
        size_t i = path.answers.size();
        while (i > 0 && path.answers[i - 1].answer == 2) --i;
        forced.clear();
        for (size_t k = 0; k + 1 < i; ++k) forced.push_back(path.answers[k].answer);
        report.paths.push_back(std::move(path));
        if (i == 0) break;
        forced.push_back(2);
        if (report.paths.size() >= maxPaths) {
            report.pathBoundHit = true;
            break;
        }
    }
    SetStepObserver(nullptr);

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
    return report;
}

std::string PathsText(const PathsReport& report, size_t maxPaths) {
    std::string out;
    std::map<std::string, int> endings;
    for (size_t n = 0; n < report.paths.size(); ++n) {
        const StoryPath& path = report.paths[n];
        ++endings[EndingName(path.ending)];
        out += "path " + std::to_string(n + 1) + ": answers";
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
    }
    out += std::to_string(report.paths.size()) + (report.paths.size() == 1 ? " path" : " paths");
    std::string kinds;
    for (const auto& [name, count] : endings) kinds += (kinds.empty() ? "" : ", ") + std::to_string(count) + " " + name;
    out += ": " + kinds + "\n";
    if (report.pathBoundHit)
        out += "note: stopped at " + std::to_string(maxPaths) + " paths; more remain (--max-paths N)\n";
    for (const std::string& lines : report.unreached) out += "never reached: " + lines + "\n";
    return out;
}

std::string PathsJson(const PathsReport& report, size_t maxPaths) {
    std::string out = "{\"paths\": [";
    for (size_t n = 0; n < report.paths.size(); ++n) {
        const StoryPath& path = report.paths[n];
        out += n == 0 ? "\n" : ",\n";
        out += "  {\"answers\": [";
        for (size_t i = 0; i < path.answers.size(); ++i)
            out += (i ? ", " : "") + std::string("{\"answer\": ") + std::to_string(path.answers[i].answer) +
                   ", \"question\": " + JsonString(path.answers[i].place) + "}";
        out += "], \"ending\": \"" + std::string(EndingName(path.ending)) + "\", \"where\": " + JsonString(path.where) +
               ", \"readingMs\": " + std::to_string(path.ReadingMs()) + ", \"typingMs\": " +
               std::to_string(path.clockMs) + ", \"pageWaits\": " + std::to_string(path.pageWaits) +
               ", \"pictures\": " + JsonList(path.pictures) + ", \"music\": " + JsonList(path.music) + "}";
    }
    out += report.paths.empty() ? "]" : "\n]";
    out += ", \"pageWaitMs\": " + std::to_string(kPageWaitMs) + ", \"maxPaths\": " + std::to_string(maxPaths) +
           ", \"moreRemain\": " + (report.pathBoundHit ? "true" : "false") + ", \"neverReached\": " +
           JsonList(report.unreached) + "}\n";
    return out;
}
