#pragma once
// The checker against the player: a story made from arbitrary bytes, read as a little grammar of
// commands (or, now and then, taken as the scenario's bytes as they are), is checked; when the
// checker finds no error it is played on the test platform with answers pressed now and then. A
// story the checker passes and the player stops on is a fault of the checker.
#include <string>
#include <string_view>

// Writes into the story folder (already the program's folder) the scenario files input makes
// and the pictures they may name: Pic91 sound, Pic92 empty, Pic93 cut short, Pic94 too large,
// Pic95 a folder, Pic96 missing.
void WriteGeneratedStory(const std::string& folder, std::string_view input);

// Checks the story in folder and, when the checker finds no error, plays it for a while of the
// virtual clock. Returns the player's error with the checker's report, or "" when they agree.
std::string CheckerDisagreement(const std::string& folder);
