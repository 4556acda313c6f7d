#pragma once
// The author's --watch: while the story plays, the scenario file being played, and the source it
// was converted from, are looked at twice a second (at the pumps the waits make anyway); when
// either has changed on disk, the run stops and starts again at the beginning of the page that
// was on screen (the line after the last page wait, or the line of the last clear or question),
// with the flags, the picture and the music as they were. A changed source plays as it is now
// (converted in memory). An edit that breaks the story shows the error and waits for the next.
#include <cstdint>
#include <string>

// Thrown out of the run when the file changed: what to load and where to start again.
struct ScenarioChanged {
    std::u32string name;  // as "D" names it
    int16_t line;         // from 0, within the file as it is now
};

// Starts (or stops) looking; the file looked at is the one loaded last.
void WatchScenarioFiles(bool on);

// Looks at the file now if half a second has passed since the last look; throws ScenarioChanged
// when it changed. (What DoEvents runs while watching.)
void LookAtScenarioFile();

// Runs the loaded script from line; each time the file changes, loads it again and runs it from
// the beginning of the page the run was on.
void RunWatched(int16_t line);
