#pragma once
// The line map: "tessaro convert" writes it beside the scenario files it makes (Data/LineMap.txt,
// one for the story), so that the checker and the player's error texts can name the line the
// author wrote ("story.txt:15") rather than the line of the converted file, where the label lines
// are gone. The player works without it. A scenario file whose size or hash differs from what
// the map recorded was changed after it was converted, and its lines are not mapped.
//
// The file is plain text, a line each:
//   # a comment
//   scenario NAME SIZE HASH SOURCE   a scenario file's name, its size in bytes and FNV-1a 64 hash
//                                    (16 hex digits) as written, and its source (the rest of the
//                                    line, relative to the story's folder)
//   lines N N N ...                  the source line (from 1) of each of its lines, in order
//   label NAME LINE                  the label "*NAME" of its line LINE (from 1), for --start
//   shift LINE COLUMN DELTA          on its line LINE (from 1), columns from COLUMN on stand DELTA
//                                    characters further right in the source (a "J*name" was
//                                    replaced by "J" and three digits)
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The map's name in the story's Data folder.
constexpr const char* kLineMapName = "LineMap.txt";

struct MappedScenario {
    std::string name;    // the scenario file's, as written
    std::string source;
    uint64_t size = 0;
    uint64_t hash = 0;
    std::vector<int> sourceLine;  // for each scenario line, from 0
    struct Shift {
        int line, column, delta;
    };
    std::vector<Shift> shifts;
    std::map<std::string, int> labels;  // the line (from 0) each label names
};

// By scenario file name in upper case, as file names are matched without regard to letter case.
using LineMap = std::map<std::string, MappedScenario>;

// The hash the map records of a scenario file's bytes.
uint64_t ScenarioHash(std::string_view bytes);

// Reads a map; false (with why) when a line of it is not one of the forms above.
bool ParseLineMap(std::string_view text, LineMap& map, std::string& why);
std::string FormatLineMap(const LineMap& map);

// The entry for scenario file name, or nullptr.
const MappedScenario* FindMapped(const LineMap& map, const std::string& name);
void PutMapped(LineMap& map, const std::string& name, MappedScenario scenario);

// What the map says of one scenario file whose bytes now have this size and hash.
enum class MapState { Absent, Stale, Valid };
MapState MapStateOf(const MappedScenario* scenario, size_t size, uint64_t hash);

// The source line and column of a scenario line (from 0) and column (from 1); false when the map
// has no such line.
bool SourcePlace(const MappedScenario& scenario, size_t line, int column, int& sourceLine, int& sourceColumn);

// The sentence a stale map is named with, once.
std::string StaleMapText(const std::string& scenarioName, const MappedScenario& scenario);
