#pragma once
// One truth for the story's text: where "tessaro convert" recorded in the line map which source a
// scenario file was made from, the source as it is now is converted in memory and compared with
// the scenario file. A source edited since, or one that convert refused to turn into a new
// scenario file, leaves the scenario file stale: the tools that read scenario files say so.
#include <string>
#include <vector>

#include "script/Scenario.h"

struct StaleScenario {
    std::string name;     // the scenario file ("Data00.Dat")
    std::string source;   // its source, as the map names it (relative to the story's folder)
    std::string problem;  // the line that says so
    bool converts = false;  // the source converts; converted then holds what it makes
    ConvertedScenario converted;
};

// The stale scenario files of the story whose folder is set. A source that is gone is not looked
// at (a story shipped without its sources), nor a scenario file changed since it was converted
// (the line map's own note covers it).
std::vector<StaleScenario> FindStaleScenarios();

// The story in folder: "" when none is stale, otherwise one line naming the first and what to do.
std::string StaleSources(const std::string& folder);

// For the player in an author's run: the scenario files whose sources converts anew, to play
// instead of the files (SetConvertedScenarios), with a line for each stale one.
std::map<std::string, ConvertedScenario> ConvertSourcesNow(std::vector<std::string>& problems);
