#include "script/ScenarioPlace.h"

#include "script/LineMap.h"
#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Platform.h"

std::string ScenarioPlace(int16_t lineNo) {
    const std::string name = PrintableName(CurrentScenarioFile());
    const std::string place = "Scenario " + name + ", line " + std::to_string(lineNo + 1);
    // The map is read only now, when an error is shown: the player does not need it otherwise.
    LineMap map;
    try {
        std::string why;
        if (!ParseLineMap(System().ReadFile(AssetPath("Data", kLineMapName)), map, why)) return place;
    } catch (const RunTimeError&) {
        return place;  // no map, or none that can be read: the story plays without one
    }
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
