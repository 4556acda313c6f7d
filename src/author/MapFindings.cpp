#include "author/MapFindings.h"

#include <filesystem>

#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "author/LineMapFile.h"

FindingMapper::FindingMapper() { map = ReadLineMapFile(problem); }

const MappedScenario* FindingMapper::Valid(const CheckedFile& file) {
    if (const auto known = valid.find(file.path); known != valid.end()) return known->second;
    const MappedScenario* mapped = FindMapped(map, file.name);
    if (mapped != nullptr) {
        try {
            const std::string bytes = ReadAssetFile(file.path, kScenarioFileCap);
            if (MapStateOf(mapped, bytes.size(), ScenarioHash(bytes)) != MapState::Valid) mapped = nullptr;
        } catch (const RunTimeError&) {
            mapped = nullptr;
        }
    }
    valid[file.path] = mapped;
    return mapped;
}

void FindingMapper::Map(const StoryFiles& story, std::vector<Diagnostic>& findings) {
    if (!problem.empty()) {
        Diagnostic unread;
        unread.file = unread.path = kLineMapName;
        unread.severity = Severity::Note;
        unread.message = "the line map is not used: " + problem;
        findings.push_back(unread);
    }
    std::map<std::string, const CheckedFile*> byName;
    for (const auto& [path, file] : story.files) byName[file->name] = file.get();
    for (const auto& [name, file] : byName) {
        const MappedScenario* mapped = FindMapped(map, name);
        if (mapped == nullptr || Valid(*file) != nullptr) continue;
        Diagnostic stale;
        stale.file = name;
        stale.path = file->path;
        stale.severity = Severity::Note;
        stale.message = StaleMapText(name, *mapped) + ": convert it again";
        findings.push_back(stale);
    }
    for (Diagnostic& d : findings) {
        const auto file = byName.find(d.file);
        if (d.line < 1 || file == byName.end()) continue;
        const MappedScenario* mapped = Valid(*file->second);
        int line = 0, column = 0;
        if (mapped == nullptr || !SourcePlace(*mapped, size_t(d.line - 1), d.column, line, column)) continue;
        d.scenarioFile = d.file;
        d.scenarioLine = d.line;
        d.scenarioColumn = d.column;
        d.file = mapped->source;
        d.path = (std::filesystem::path(ProgramDirectory()) / mapped->source).lexically_normal().string();
        d.line = line;
        d.column = column;
    }
}
