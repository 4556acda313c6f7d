#include "author/StaleSources.h"

#include <algorithm>
#include <filesystem>

#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "author/Convert.h"
#include "author/LineMapFile.h"

std::vector<StaleScenario> FindStaleScenarios() {
    std::vector<StaleScenario> stale;
    std::string why;
    const LineMap map = ReadLineMapFile(why);
    for (const auto& [key, mapped] : map) {
        std::string scenario, source;
        try {
            scenario = ReadAssetFile(AssetPath("Data", mapped.name), kScenarioFileCap);
        } catch (const RunTimeError&) {
            continue;
        }
        if (MapStateOf(&mapped, scenario.size(), ScenarioHash(scenario)) != MapState::Valid) continue;
        const std::string sourcePath =
            (std::filesystem::path(ProgramDirectory()) / mapped.source).lexically_normal().string();
        try {
            source = ReadWholeFile(sourcePath, kScenarioFileCap);
        } catch (const RunTimeError&) {
            continue;
        }
        StaleScenario found;
        ConvertedScenario& converted = found.converted;
        const std::vector<Diagnostic> errors = ConvertScenario(source, mapped.source, converted.bytes, &converted.lines);
        if (errors.empty() && converted.bytes == scenario) continue;
        converted.lines.name = mapped.name;
        converted.lines.source = mapped.source;
        converted.lines.size = converted.bytes.size();
        converted.lines.hash = ScenarioHash(converted.bytes);
        found.name = mapped.name;
        found.source = mapped.source;
        found.converts = errors.empty();
        const std::string dat = "Data/" + mapped.name;
        if (found.converts) {
            found.problem = PrintableName(mapped.source) + " was changed after " + dat +
                            " was made from it: tessaro convert " + PrintableName(mapped.source) + " " + dat;
        } else {
            const Diagnostic& first = errors.front();
            found.problem = PrintableName(mapped.source) + " was changed and does not convert (" +
                            PrintableName(first.file) + ":" + std::to_string(first.line) + ":" +
                            std::to_string(first.column) + ": " + PrintableName(first.message) + "): " + dat +
                            " is still the old text";
        }
        stale.push_back(std::move(found));
    }
    return stale;
}

std::string StaleSources(const std::string& folder) {
    SetProgramDirectory(folder);
    const std::vector<StaleScenario> stale = FindStaleScenarios();
    if (stale.empty()) return "";
    std::string line = stale.front().problem;
    if (stale.size() > 1)
        line += " (and " + std::to_string(stale.size() - 1) + (stale.size() == 2 ? " other source)" : " other sources)");
    return line;
}

std::map<std::string, ConvertedScenario> ConvertSourcesNow(std::vector<std::string>& problems) {
    std::map<std::string, ConvertedScenario> now;
    for (StaleScenario& stale : FindStaleScenarios()) {
        if (!stale.converts) {
            problems.push_back(stale.problem);
            continue;
        }
        problems.push_back(PrintableName(stale.source) + " was changed after Data/" + stale.name +
                           " was made from it: it plays as it is now");
        std::string key = stale.name;
        std::transform(key.begin(), key.end(), key.begin(), [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; });
        now[key] = std::move(stale.converted);
    }
    return now;
}
