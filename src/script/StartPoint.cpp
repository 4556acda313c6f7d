#include "script/StartPoint.h"

#include "script/LineMap.h"
#include "script/Scenario.h"
#include "script/ScenarioPlace.h"
#include "system/Errors.h"
#include "system/TextCodec.h"

namespace {

bool IsLabelName(const std::string& name) {
    if (name.empty()) return false;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

// "Data01.Dat" (any letter case): the two characters "D" names it by.
bool ScenarioName(const std::string& file, std::u32string& name) {
    const std::u32string text = FromUtf8(file);
    std::string lower;
    for (const char c : file) lower += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    if (text.size() != 10 || lower.rfind("data", 0) != 0 || lower.substr(lower.size() - 4) != ".dat") return false;
    name = text.substr(4, 2);
    return true;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The scenario file's line count, and whether the map still describes it; "" or what is wrong.
std::string LookAt(const std::u32string& name, const MappedScenario* mapped, size_t& lines) {
    try {
        const ScenarioFile file = ReadScenario(name);
        lines = file.lines.size();
        if (mapped != nullptr && MapStateOf(mapped, file.bytes.size(), ScenarioHash(file.bytes)) != MapState::Valid)
            return StaleMapText(mapped->name, *mapped) + ": convert it again";
    } catch (const RunTimeError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

bool IsStartText(const std::string& text) {
    if (!text.empty() && text[0] == '*') return IsLabelName(text.substr(1));
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size() || text.size() - colon > 7) return false;
    return text.find_first_not_of("0123456789", colon + 1) == std::string::npos && std::stoi(text.substr(colon + 1)) > 0;
}

std::string FindStartPoint(const std::string& text, StartPoint& point) {
    const std::string problem = "--start " + PrintableName(text) + ": ";
    LineMap map;
    std::string why;
    const bool haveMap = ReadStoryLineMap(map, why);
    if (!why.empty()) why = " (" + why + ")";

    size_t lines = 0;
    if (text[0] == '*') {
        const MappedScenario* found = nullptr;
        for (const auto& [key, scenario] : map) {
            if (scenario.labels.count(text.substr(1)) == 0) continue;
            if (found != nullptr)
                return problem + "the label is in both " + found->name + " and " + scenario.name + ": name FILE:LINE";
            found = &scenario;
        }
        if (found == nullptr)
            return problem + (haveMap ? "no such label in the story's line map" : "the story has no line map" + why +
                                                                                      ": convert its sources");
        if (!ScenarioName(found->name, point.scenario)) return problem + found->name + " is not a scenario file";
        if (const std::string wrong = LookAt(point.scenario, found, lines); !wrong.empty()) return problem + wrong;
        point.line = static_cast<int16_t>(found->labels.at(text.substr(1)));
        if (size_t(point.line) >= lines) return problem + "the label stands past the end of " + found->name;
        return "";
    }

    const size_t colon = text.rfind(':');
    const std::string file = text.substr(0, colon);
    const int line = std::stoi(text.substr(colon + 1));
    if (ScenarioName(BaseName(file), point.scenario)) {
        if (const std::string wrong = LookAt(point.scenario, nullptr, lines); !wrong.empty()) return problem + wrong;
        if (size_t(line) > lines || line > kLastSlot)
            return problem + BaseName(file) + " has " + std::to_string(lines) + " lines";
        point.line = static_cast<int16_t>(line - 1);
        return "";
    }
    for (const auto& [key, scenario] : map) {
        if (scenario.source != file && BaseName(scenario.source) != BaseName(file)) continue;
        if (!ScenarioName(scenario.name, point.scenario)) continue;
        if (const std::string wrong = LookAt(point.scenario, &scenario, lines); !wrong.empty()) return problem + wrong;
        // A line the scenario does not hold (a label line) starts at the line after it.
        for (size_t i = 0; i < scenario.sourceLine.size() && i < lines; ++i) {
            if (scenario.sourceLine[i] < line) continue;
            point.line = static_cast<int16_t>(i);
            return "";
        }
        return problem + scenario.source + " has no line " + std::to_string(line) + " in " + scenario.name;
    }
    return problem + (haveMap ? "no scenario file in the line map was converted from " + PrintableName(file)
                              : "not a scenario file (DataNN.Dat), and the story has no line map" + why);
}
