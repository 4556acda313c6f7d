#pragma once
// The story's line map as the authors' commands keep it: "tessaro convert" records each scenario
// file it writes, "tessaro check" and "tessaro paths" read it to name the author's lines.
#include <string>

#include "script/LineMap.h"

// Puts the entry for the scenario file just written at scenarioPath (its bytes, and the source
// line of each of its lines) into the map in the same folder, keeping the entries of the others.
// The source is recorded relative to the story's folder (the one above the scenario's). Returns a
// remark for the author when an unreadable old map was replaced, otherwise "".
std::string RecordLineMap(const std::string& sourcePath, const std::string& scenarioPath, const std::string& bytes,
                          MappedScenario lines);

// The map of the story whose folder was set with SetProgramDirectory: empty when there is none;
// when it cannot be read or parsed, empty with why set.
LineMap ReadLineMapFile(std::string& why);
