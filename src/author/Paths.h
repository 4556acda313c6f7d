#pragma once
// "tessaro paths": every path through a story, each played to its end by the real interpreter on a
// machine with no window and no sound (tools/HeadlessPlatform), taking every answer at every
// question depth-first: what each path answers, how it ends, how long it reads and what it shows.
#include <cstdint>
#include <string>
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

struct PathsReport {
    std::vector<StoryPath> paths;
    bool pathBoundHit = false;           // there were more paths than the bound
    std::vector<std::string> unreached;  // "story.txt: lines 12-14, 20", a file each
};

// Plays every path of the story in folder, at most maxPaths of them.
PathsReport ExplorePaths(const std::string& folder, size_t maxPaths);

std::string PathsText(const PathsReport& report, size_t maxPaths);
std::string PathsJson(const PathsReport& report, size_t maxPaths);

// The name of an ending as the reports print it ("end mark", "game over", ...).
const char* EndingName(StoryPath::Ending ending);
