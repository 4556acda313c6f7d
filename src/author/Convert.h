#pragma once
// "tessaro convert": a scenario written as UTF-8 in any editor becomes the code page 932 file with
// CR LF line ends that the player reads, with named labels for jumps.
#include <string>
#include <vector>

#include "script/LineMap.h"
#include "author/Diagnostics.h"

// Converts UTF-8 source text (any line ends, an optional byte-order mark). A line "*name" defines
// a label for the line after it and is dropped; "J*name" anywhere becomes "J" and that line's
// number in three digits. On success out holds the scenario bytes and the result is empty;
// otherwise it lists every error, each at its line and column of the source, named sourceName.
// When lines is given, it receives the source line of each scenario line and where columns moved.
std::vector<Diagnostic> ConvertScenario(const std::string& source, const std::string& sourceName, std::string& out,
                                        MappedScenario* lines = nullptr);
