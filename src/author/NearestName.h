#pragma once
// For a name that is not there (a label, a scenario file): the existing one it is most likely a
// slip of, to suggest.
#include <string>
#include <vector>

// The candidate nearest name in edits (letter case counting half), if it is near enough to be a
// slip (at most a third of its length, and at least one edit allowed); otherwise "".
std::string NearestName(const std::string& name, const std::vector<std::string>& candidates);
