#include "author/LineMapFile.h"

#include <filesystem>

#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Files.h"

namespace fs = std::filesystem;

namespace {

// A map is a few kilobytes; anything near this is not one.
constexpr size_t kLineMapCap = size_t(1) << 20;

}  // namespace

std::string RecordLineMap(const std::string& sourcePath, const std::string& scenarioPath, const std::string& bytes,
                          MappedScenario lines) {
    const fs::path scenario = fs::absolute(scenarioPath);
    const fs::path mapPath = scenario.parent_path() / kLineMapName;
    std::string remark;
    LineMap map;
    std::error_code error;
    if (fs::exists(mapPath, error)) {
        std::string why;
        try {
            if (!ParseLineMap(ReadAssetFile(mapPath.string(), kLineMapCap), map, why))
                remark = PrintableName(mapPath.string()) + " was not a line map (" + why + "): it is written anew";
        } catch (const RunTimeError& unreadable) {
            remark = std::string(unreadable.what()) + ": the line map is written anew";
        }
    }
    const fs::path storyFolder = scenario.parent_path().parent_path();
    fs::path source = fs::absolute(sourcePath).lexically_normal();
    const fs::path relative = source.lexically_relative(storyFolder.lexically_normal());
    if (!relative.empty()) source = relative;
    lines.source = source.generic_string();
    lines.size = bytes.size();
    lines.hash = ScenarioHash(bytes);
    PutMapped(map, scenario.filename().string(), std::move(lines));
    WriteWholeFile(mapPath.string(), FormatLineMap(map));
    return remark;
}

LineMap ReadLineMapFile(std::string& why) {
    LineMap map;
    const std::string path = LocateFile(AssetPath("Data", kLineMapName));
    std::error_code error;
    if (!fs::exists(path, error)) return map;
    try {
        if (!ParseLineMap(ReadAssetFile(path, kLineMapCap), map, why)) why = PrintableName(path) + ": " + why;
    } catch (const RunTimeError& unreadable) {
        why = unreadable.what();
    }
    return map;
}
