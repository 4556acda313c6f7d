#include "author/Diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

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

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
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
        out += d.file;
        if (d.line > 0) out += ':', out += std::to_string(d.line), out += ':', out += std::to_string(d.column);
        out += std::string(": ") + SeverityName(d.severity) + ": " + d.message;
        if (!d.scenarioFile.empty())
            out += " [", out += d.scenarioFile, out += ':', out += std::to_string(d.scenarioLine), out += ':',
                out += std::to_string(d.scenarioColumn), out += ']';
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
