#pragma once
// The scenario line an error names: the file and the line as an editor counts it, and, when the
// story's line map (script/LineMap.h) describes the file as it was loaded, the author's own file
// and line first.
#include <cstdint>
#include <string>

#include "script/LineMap.h"

// "Scenario Data00.Dat, line 13", or "story.txt:15 (Scenario Data00.Dat, line 13)" through a
// valid map; a map that is out of date for the file is named after it instead.
std::string ScenarioPlace(int16_t lineNo);

// Reads the story's line map through the platform: false when there is none; false with why set
// when it cannot be read or is not a map.
bool ReadStoryLineMap(LineMap& map, std::string& why);
