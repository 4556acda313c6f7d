#include "author/Diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "system/Errors.h"

namespace {

const char* SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
    }
    return "";
}

std::string Counted(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Summary(const std::vector<Diagnostic>& diagnostics, size_t filesRead) {
    size_t counts[3] = {};
    for (const Diagnostic& d : diagnostics) ++counts[static_cast<int>(d.severity)];
    return Counted(counts[0], "error", "errors") + ", " + Counted(counts[1], "warning", "warnings") + ", " +
           Counted(counts[2], "note", "notes") + " in " + Counted(filesRead, "scenario file", "scenario files");
}

// Names and arguments come from the story's files as bytes: each that is not UTF-8 text, and each
// control byte, is written as "\xff", so that the output is always valid UTF-8 (and JSON) and a
// NUL or an escape sequence never reaches the terminal.
std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : PrintableName(text)) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

void SortDiagnostics(std::vector<Diagnostic>& diagnostics) {
    const auto key = [](const Diagnostic& d) {
        return std::tie(d.file, d.line, d.column, d.severity, d.message);
    };
    std::sort(diagnostics.begin(), diagnostics.end(),
              [&](const Diagnostic& a, const Diagnostic& b) { return key(a) < key(b); });
    diagnostics.erase(std::unique(diagnostics.begin(), diagnostics.end(),
                                  [&](const Diagnostic& a, const Diagnostic& b) { return key(a) == key(b); }),
                      diagnostics.end());
}

std::string DiagnosticsText(const std::vector<Diagnostic>& diagnostics, size_t filesRead) {
    std::string out;
    for (const Diagnostic& d : diagnostics) {
        out += PrintableName(d.file);
        if (d.line > 0) out += ':', out += std::to_string(d.line), out += ':', out += std::to_string(d.column);
        out += std::string(": ") + SeverityName(d.severity) + ": " + PrintableName(d.message);
        if (!d.scenarioFile.empty())
            out += " [", out += PrintableName(d.scenarioFile), out += ':', out += std::to_string(d.scenarioLine),
                out += ':', out += std::to_string(d.scenarioColumn), out += ']';
        out += "\n";
    }
    return out + Summary(diagnostics, filesRead) + "\n";
}

std::string DiagnosticsJson(const std::vector<Diagnostic>& diagnostics, size_t filesRead) {
    size_t counts[3] = {};
    std::string out = "{\"diagnostics\": [";
    for (size_t i = 0; i < diagnostics.size(); ++i) {
        const Diagnostic& d = diagnostics[i];
        ++counts[static_cast<int>(d.severity)];
        out += i == 0 ? "\n" : ",\n";
        out += "  {\"file\": " + JsonString(d.file) + ", \"path\": " + JsonString(d.path) +
               ", \"line\": " + std::to_string(d.line) + ", \"column\": " + std::to_string(d.column) +
               ", \"severity\": \"" + SeverityName(d.severity) + "\", \"message\": " + JsonString(d.message);
        if (!d.scenarioFile.empty())
            out += ", \"scenarioFile\": " + JsonString(d.scenarioFile) + ", \"scenarioLine\": " +
                   std::to_string(d.scenarioLine) + ", \"scenarioColumn\": " + std::to_string(d.scenarioColumn);
        out += "}";
    }
    out += diagnostics.empty() ? "]" : "\n]";
    out += ", \"errors\": " + std::to_string(counts[0]) + ", \"warnings\": " + std::to_string(counts[1]) +
           ", \"notes\": " + std::to_string(counts[2]) + ", \"files\": " + std::to_string(filesRead) + "}\n";
    return out;
}

bool AnyError(const std::vector<Diagnostic>& diagnostics) {
    return std::any_of(diagnostics.begin(), diagnostics.end(),
                       [](const Diagnostic& d) { return d.severity == Severity::Error; });
}
