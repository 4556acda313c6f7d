#pragma once
// The authors' aids themselves (app/AuthorsAids.h says what they are for), on the authors'
// commands: only the desktop builds, which carry those commands, name this folder.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct StartPoint;

// Installs the aids (in the desktop programs' entries).
void UseAuthorsAids();

// The two aids.
void ShowSceneAt(const std::string& text, const StartPoint& start, const std::vector<std::pair<int, int16_t>>& flags);
void PlaySourcesAsTheyAre();
