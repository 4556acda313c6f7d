#pragma once
// The checker's run through a script: from a file's line 0 along every branch, jump, chain and
// answer, with what the message box holds on the way, finding what would go wrong when played.
#include <string>
#include <vector>

#include "author/CheckFiles.h"
#include "author/Diagnostics.h"

// Walks the story from line 0 of first, loading chained files into story as they are reached and
// marking the lines run; returns the findings of the walk (the files' own are kept in story).
// named, when given, receives the real path of every picture, music and effect a reached command
// names (those that exist).
std::vector<Diagnostic> WalkScript(StoryFiles& story, CheckedFile* first, std::vector<std::string>* named = nullptr);
