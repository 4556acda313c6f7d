#pragma once
// "tessaro check": reads a story as the player would, without a window, and finds what would go
// wrong when it is played.
#include <string>
#include <vector>

#include "author/Diagnostics.h"

struct CheckResult {
    std::vector<Diagnostic> diagnostics;  // sorted
    size_t filesRead = 0;
    // The real path of every story file a reached command names: the scenario files loaded, the
    // pictures, music and effects. What a story folder holds beyond these, nothing uses.
    std::vector<std::string> named;
};

// Checks the story in folder (its Data, Picture, Bgm and Wave folders), following the script from
// line 0 of Data00.Dat along every branch, jump, chain and answer.
CheckResult CheckStory(const std::string& folder);
