#pragma once
// What the player takes from the authors' commands for an author's run: --start's read of the
// story to its line, and sources changed since they were converted, played as they are now. They
// live with the authors' commands, which the desktop programs carry and the page does not: the
// desktop entries install them (UseAuthorsAids) before Main; the page, which plays a published
// story with neither --start nor --watch, has none, and Main and --watch do without.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct StartPoint;

struct AuthorsAids {
    // Reads the story from its beginning to start and shows the scene there (its picture and
    // music); says in one line when no way through comes to it. text is --start's value.
    void (*showSceneAt)(const std::string& text, const StartPoint& start,
                        const std::vector<std::pair<int, int16_t>>& flags) = nullptr;
    // Scenario files whose sources changed since they were converted are played converted anew;
    // says so on standard error, once for each change.
    void (*playSourcesAsTheyAre)() = nullptr;
};

// The aids installed; all empty until UseAuthorsAids.
extern AuthorsAids TheAuthorsAids;

// Installs the aids (in the desktop programs' entries).
void UseAuthorsAids();

// The two aids themselves.
void ShowSceneAt(const std::string& text, const StartPoint& start, const std::vector<std::pair<int, int16_t>>& flags);
void PlaySourcesAsTheyAre();
