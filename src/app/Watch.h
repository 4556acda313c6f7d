#pragma once
// The author's --watch: while the story plays, the scenario file being played is looked at twice
// a second (at the pumps the waits make anyway); when it has changed on disk, the run stops and
// starts again at the same line of the file as it is now, with the flags, the picture and the
// music as they were.
#include <cstdint>
#include <string>

// Thrown out of the run when the file changed: what to load and where to start again.
struct ScenarioChanged {
    std::u32string name;  // as "D" names the file
    int16_t line;         // from 0, within the file as it is now
};

// Starts (or stops) looking; the file looked at is the one loaded last.
void WatchScenarioFiles(bool on);

// Looks at the file now if half a second has passed since the last look; throws ScenarioChanged
// when it changed. (What DoEvents runs while watching.)
void LookAtScenarioFile();

// Runs the loaded script from line; each time the file changes, loads it again and runs it from
// the line the run had reached.
void RunWatched(int16_t line);
