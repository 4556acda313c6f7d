#include "author/Check.h"

#include <map>
#include <set>

#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/Files.h"
#include "author/CheckFiles.h"
#include "author/MapFindings.h"
#include "author/Paths.h"
#include "author/ScriptWalk.h"

namespace {

// What the checker spends on playing the story's paths: a fraction of a second.
constexpr long long kMostStepsToPlay = 500'000;

// Lines no path runs, listed once a file: "20-24, 31"; through the line map (when given), the
// source's lines.
void NoteUnreached(const CheckedFile& file, const std::vector<bool>& reached, const char* what,
                   const MappedScenario* mapped, std::vector<Diagnostic>& findings) {
    std::string ranges;
    size_t first = 0, count = 0;
    for (size_t i = 0; i <= file.Count(); ++i) {
        const bool unreached = i < file.Count() && !reached[i];
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
    while (reached[firstUnreached]) ++firstUnreached;
    findings.push_back(file.At(firstUnreached, 0, Severity::Note,
                               what + std::string(ranges.find_first_of(",-") == std::string::npos ? ": line " : ": lines ") +
                                   ranges));
}

std::string Upper(std::string text) {
    for (char& c : text) c = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    return text;
}

// Lines the walk reaches only by branches the flags never take: the story played on every path
// (as "tessaro paths" plays it) never runs them. Only when every path was played within a
// bounded number of steps (the same answer on any computer); a story with errors has its errors
// to mend first.
void NoteLinesNoPathRuns(const std::string& folder, StoryFiles& story, FindingMapper& mapper,
                         std::vector<Diagnostic>& findings) {
    for (const Diagnostic& finding : findings)
        if (finding.severity == Severity::Error) return;
    PathBounds bounds;
    bounds.maxSteps = kMostStepsToPlay;
    const PathsReport report = ExplorePaths(folder, bounds, [](const StoryPath&, size_t) {});
    if (report.pathBoundHit || report.timeBoundHit || report.stepBoundHit) return;
    std::map<std::string, const std::vector<bool>*> run;
    for (const auto& [name, lines] : report.reached) run[Upper(name)] = &lines;
    for (const auto& [path, file] : story.files) {
        const auto found = run.find(Upper(file->name));
        std::vector<bool> reached(file->Count() + 1, false);
        for (size_t i = 0; i < file->Count(); ++i)
            reached[i] = !file->reached[i] || (found != run.end() && i < found->second->size() && (*found->second)[i]);
        NoteUnreached(*file, reached, "never run on any path (the flags never take the branches to it)",
                      mapper.Valid(*file), findings);
    }
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
        NoteUnreached(*file, file->reached, "never run", mapper.Valid(*file), findings);
        loaded.insert(file->name);
        result.named.push_back(path);
    }
    if (first != nullptr && first->loadable) NoteLinesNoPathRuns(folder, story, mapper, findings);
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
