#pragma once
// "tessaro paths": every path through a story, each played to its end by the real interpreter on a
// machine with no window and no sound (tools/HeadlessPlatform), taking every answer at every
// question depth-first: what each path answers, how it ends, how long it reads and what it shows.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A reader's pause at each page wait, counted into a path's reading time.
constexpr int64_t kPageWaitMs = 2000;

struct StoryPath {
    struct Answer {
        int answer;         // 1 or 2
        std::string place;  // of the question
    };
    std::vector<Answer> answers;
    enum class Ending { EndMark, FileEnd, GameOver, Error, Loop, Revisit, Bound } ending = Ending::EndMark;
    std::string where;    // the place it ends, or the error's whole text, or what went round
    int64_t clockMs = 0;  // typing, pauses and the half second before each question
    int pageWaits = 0;
    std::vector<std::string> pictures;  // in the order shown, each once
    std::vector<std::string> music;     // pieces played, each once

    int64_t ReadingMs() const { return clockMs + pageWaits * kPageWaitMs; }
};

// How far an exploration goes: paths, and seconds of the computer's time.
struct PathBounds {
    size_t maxPaths = 256;
    int maxSeconds = 60;
    long long maxSteps = 0;  // steps of all paths together, 0 for no bound: a bound that gives the
                             // same answer on any computer
};

struct PathsReport {
    std::vector<StoryPath> paths;        // kept only when no one takes them as they come
    size_t pathCount = 0;
    std::map<std::string, int> endings;  // paths by ending name
    bool pathBoundHit = false;           // there were more paths than the bound
    bool timeBoundHit = false;           // the time ran out before every path was played
    bool stepBoundHit = false;           // so did maxSteps
    std::vector<std::string> unreached;  // "story.txt: lines 12-14, 20", a file each
    std::map<std::string, std::vector<bool>> reached;  // by scenario file ("Data00.Dat"): lines run
};

// Plays every path of the story in folder within bounds, handing each to onPath (with its number
// from 1) as it ends; none is kept, so that a story of many paths costs the memory of one.
PathsReport ExplorePaths(const std::string& folder, const PathBounds& bounds,
                         const std::function<void(const StoryPath&, size_t)>& onPath);
// The same, keeping every path in the report.
PathsReport ExplorePaths(const std::string& folder, size_t maxPaths);

// A path as the report prints it, and what follows the paths.
std::string PathText(const StoryPath& path, size_t number);
std::string PathsSummaryText(const PathsReport& report, const PathBounds& bounds);
std::string PathJson(const StoryPath& path);
std::string PathsJsonTail(const PathsReport& report, const PathBounds& bounds);

std::string PathsText(const PathsReport& report, size_t maxPaths);
std::string PathsJson(const PathsReport& report, size_t maxPaths);

// What a straight read from the story's beginning to a line leaves on the screen: for "--start".
struct SceneAtLine {
    bool reached = false;
    std::string why;         // when not reached: what stopped the read, in a few words
    std::string music;       // "Bgm01.mid", the piece open, or ""
    bool musicPlaying = false;
};

// Runs the story from line 0 of Data00.Dat, with flags set first, on a machine with no window and
// no sound, until it comes to line (from 0) of scenario file name ("01"): the first answer at
// each question, then other answers, depth-first as "tessaro paths" takes them, until one way
// comes there (within bounds; when none does, the way of every first answer is the one kept). The picture shown on the way stays the picture area's background;
// the flags and the line store stay as the read left them; the platform in use is put back.
SceneAtLine ReadToLine(const std::u32string& name, int16_t line, const std::vector<std::pair<int, int16_t>>& flags);

// The name of an ending as the reports print it ("end mark", "game over", ...).
const char* EndingName(StoryPath::Ending ending);
