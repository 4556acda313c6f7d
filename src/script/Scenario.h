#pragma once
// The line store and the scenario files that fill it.
#include <array>
#include <cstdint>
#include <string>
#include <map>
#include <vector>

#include "script/LineMap.h"

constexpr int kLastSlot = 500;

// Slots 0 to 500. A file of n lines fills slots 0 to n - 1 with its lines, each followed by the
// end-of-line mark "\", and slot n with the end mark "e"; slots after that keep what an earlier,
// longer file left there.
extern std::array<std::u32string, kLastSlot + 1> ScriptLine;

// One line of a scenario file as the file holds it, before the end-of-line mark is added.
struct ScenarioFileLine {
    std::u32string text;         // decoded, without its line end
    size_t offset = 0;           // of its first byte in the file
    size_t length = 0;           // its bytes, without the line end
    std::string end;             // "\r\n", "\r", or "" for a last line without one
    std::vector<size_t> invalid; // offsets in the line of bytes that are not code page 932
};

struct ScenarioFile {
    std::string path;  // as found, letter case matched
    std::string bytes;
    std::vector<ScenarioFileLine> lines;
};

// The path of scenario file "Data" + name + ".Dat" in the story's Data folder, as the player asks
// for it.
std::string ScenarioPath(const std::u32string& name);

// Reads (through the platform) and splits a scenario file the way the player does, however many
// lines it has. Throws FileNotFound or FileUnreadable.
ScenarioFile ReadScenario(const std::u32string& name);

// Splits the bytes of the scenario file found at path the way the player does.
ScenarioFile SplitScenario(std::string path, std::string bytes);

// Reads scenario file "Data" + name + ".Dat" from the story's Data folder into the store.
void LoadScenario(const std::u32string& name);

// The file name of the scenario loaded last ("Data00.Dat"), for error messages.
const std::string& CurrentScenarioFile();

// The size and line-map hash of the bytes of the scenario loaded last, so that an error can tell
// whether the story's line map still describes it.
size_t CurrentScenarioSize();
uint64_t CurrentScenarioHash();

// An author's run plays the sources as they are now: a scenario file whose source changed since
// it was converted is converted again in memory, and read instead of the file, with its line
// map entry, by everything that reads the story (the line store, --start, the places errors name).
struct ConvertedScenario {
    std::string bytes;
    MappedScenario lines;
};
// By the scenario file's name in upper case ("DATA00.DAT"); replaces those given before.
void SetConvertedScenarios(std::map<std::string, ConvertedScenario> converted);
const ConvertedScenario* FindConvertedScenario(const std::string& fileName);
