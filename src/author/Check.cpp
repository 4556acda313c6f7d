#include "author/Check.h"

#include <set>

#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/Files.h"
#include "author/CheckFiles.h"
#include "author/MapFindings.h"
#include "author/ScriptWalk.h"

namespace {

// Lines no path runs, listed once a file: "20-24, 31"; through the line map (when given), the
// source's lines.
void NoteUnreached(const CheckedFile& file, const MappedScenario* mapped, std::vector<Diagnostic>& findings) {
    std::string ranges;
    size_t first = 0, count = 0;
    for (size_t i = 0; i <= file.Count(); ++i) {
        const bool unreached = i < file.Count() && !file.reached[i];
        if (unreached && count++ == 0) first = i;
        if (unreached || count == 0) continue;
        int from = file.editorLine[first], to = file.editorLine[first + count - 1];
        int column = 0;
        if (mapped != nullptr && SourcePlace(*mapped, size_t(from - 1), 1, from, column))
            SourcePlace(*mapped, size_t(file.editorLine[first + count - 1] - 1), 1, to, column);
        // Appended piece by piece: GCC 12 at -O3 takes "literal" + string for an overlapping copy.
        if (!ranges.empty()) ranges += ", ";
        ranges += std::to_string(from);
        if (to > from) ranges += '-', ranges += std::to_string(to);
        count = 0;
    }
    if (ranges.empty() || !file.loadable) return;
    size_t firstUnreached = 0;
    while (file.reached[firstUnreached]) ++firstUnreached;
    findings.push_back(file.At(firstUnreached, 0, Severity::Note, std::string(ranges.find_first_of(",-") == std::string::npos ? "never run: line " : "never run: lines ") + ranges));
}

}  // namespace

CheckResult CheckStory(const std::string& folder) {
    SetProgramDirectory(folder);
    CheckResult result;
    StoryFiles story;
    std::string why;
    CheckedFile* first = story.Load(U"00", why);
    std::vector<Diagnostic> findings;
    if (first == nullptr) {
        Diagnostic missing;
        missing.file = "Data00.Dat";
        missing.path = LocateFile(ScenarioPath(U"00"));
        missing.severity = Severity::Error;
        missing.message = "the story cannot start: " + why;
        findings.push_back(missing);
    } else if (first->loadable) {
        findings = WalkScript(story, first, &result.named);
    }
    std::set<std::string> loaded;
    FindingMapper mapper;
    for (const auto& [path, file] : story.files) {
        NoteUnreached(*file, mapper.Valid(*file), findings);
        loaded.insert(file->name);
        result.named.push_back(path);
    }
    for (const auto& [name, path] : story.DataFolder()) {
        if (loaded.count(name) > 0) continue;
        Diagnostic unused;
        unused.file = name;
        unused.path = path;
        unused.severity = Severity::Note;
        unused.message = "never loaded: no \"D\" reached from Data00.Dat names it";
        findings.push_back(unused);
    }
    findings.insert(findings.end(), story.findings.begin(), story.findings.end());
    mapper.Map(story, findings);
    SortDiagnostics(findings);
    result.diagnostics = std::move(findings);
    result.filesRead = story.files.size();
    return result;
}
