#pragma once
// The line store and the scenario files that fill it.
#include <array>
#include <string>

constexpr int kLastSlot = 500;

// Slots 0 to 500. A file of n lines fills slots 0 to n - 1 with its lines, each followed by the
// end-of-line mark "\", and slot n with the end mark "e"; slots after that keep what an earlier,
// longer file left there.
extern std::array<std::u32string, kLastSlot + 1> ScriptLine;

// Reads scenario file "Data" + name + ".Dat" from the story's Data folder into the store.
void LoadScenario(const std::u32string& name);

// The file name of the scenario loaded last ("Data00.Dat"), for error messages.
const std::string& CurrentScenarioFile();
