#pragma once
// What the story checker finds, and the two ways it reports it: lines an editor can jump to, and
// JSON for editors and CI.
#include <string>
#include <vector>

enum class Severity { Error, Warning, Note };

struct Diagnostic {
    std::string file;  // the scenario file's name as the folder holds it ("Data01.Dat")
    std::string path;  // the path it was read from
    int line = 0;      // as an editor counts it, from 1; 0 when the finding concerns the whole file
    int column = 0;    // in characters, from 1
    Severity severity = Severity::Warning;
    std::string message;
    // Through the story's line map: the scenario file's own place, after the source's above.
    std::string scenarioFile;  // empty when the finding was not mapped
    int scenarioLine = 0, scenarioColumn = 0;
};

// By file, line and column; the same finding reached along two paths is kept once.
void SortDiagnostics(std::vector<Diagnostic>& diagnostics);

// "Data01.Dat:12:7: warning: ..." lines and a summary line.
std::string DiagnosticsText(const std::vector<Diagnostic>& diagnostics, size_t filesRead);
std::string DiagnosticsJson(const std::vector<Diagnostic>& diagnostics, size_t filesRead);

bool AnyError(const std::vector<Diagnostic>& diagnostics);
