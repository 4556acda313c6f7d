#include "script/ScenarioPlace.h"

#include "script/LineMap.h"
#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Platform.h"

namespace {

bool ReadMapFile(LineMap& map, std::string& why) {
    std::string text;
    try {
        text = System().ReadFile(AssetPath("Data", kLineMapName));
    } catch (const RunTimeError& error) {
        // No map, or none that can be read: the story plays without one.
        if (std::string(error.what()).rfind("File not found", 0) != 0) why = error.what();
        return false;
    }
    if (ParseLineMap(text, map, why)) return true;
    why = kLineMapName + (": " + why);
    return false;
}

}  // namespace

bool ReadStoryLineMap(LineMap& map, std::string& why) {
    const bool read = ReadMapFile(map, why);
    if (!read) return false;
    // The entries of scenario files converted anew for this run describe what it plays.
    for (auto& [key, entry] : map)
        if (const ConvertedScenario* converted = FindConvertedScenario(entry.name); converted != nullptr)
            entry = converted->lines;
    return true;
}

std::string ScenarioPlace(int16_t lineNo) {
    const std::string name = PrintableName(CurrentScenarioFile());
    const std::string place = "Scenario " + name + ", line " + std::to_string(lineNo + 1);
    // The map is read only now, when an error is shown: the player does not need it otherwise.
    LineMap map;
    std::string why;
    if (!ReadStoryLineMap(map, why)) return place;
    const MappedScenario* mapped = FindMapped(map, CurrentScenarioFile());
    switch (MapStateOf(mapped, CurrentScenarioSize(), CurrentScenarioHash())) {
    case MapState::Absent: return place;
    case MapState::Stale: return place + " (" + StaleMapText(name, *mapped) + ")";
    case MapState::Valid: break;
    }
    int line = 0, column = 0;
    if (lineNo < 0 || !SourcePlace(*mapped, size_t(lineNo), 1, line, column)) return place;
    return PrintableName(mapped->source) + ":" + std::to_string(line) + " (" + place + ")";
}
