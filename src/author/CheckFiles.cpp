#include "author/CheckFiles.h"

#include <cstdio>
#include <filesystem>

#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/TextCodec.h"

namespace {

constexpr size_t kStoredLines = kLastSlot;  // slot 500 is left for the end mark

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

bool IsUtf8(std::string_view bytes) {
    const std::u32string decoded = FromUtf8(bytes);
    return decoded.find(char32_t(0xFFFD)) == std::u32string::npos;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        char two[4];
        std::snprintf(two, sizeof two, "%02X", static_cast<unsigned char>(c));
        out += out.empty() ? "" : " ";
        out += two;
    }
    return out;
}

// A UTF-8 byte-order mark: the player shows it as stray characters at the top of the first page.
void CheckByteOrderMark(const ScenarioFile& raw, CheckedFile& file, std::vector<Diagnostic>& findings) {
    if (raw.bytes.rfind("\xEF\xBB\xBF", 0) != 0) return;
    findings.push_back(file.At(0, 0, Severity::Warning,
                               "the file starts with a UTF-8 byte-order mark, shown as stray characters"));
}

// Bytes that are not code page 932 show as "�"; a file that is UTF-8 throughout is named as such
// once rather than line by line.
void CheckEncoding(const ScenarioFile& raw, CheckedFile& file, std::vector<Diagnostic>& findings) {
    const size_t skip = raw.bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    const bool utf8 = IsUtf8(std::string_view(raw.bytes).substr(skip));
    for (size_t i = 0; i < raw.lines.size(); ++i) {
        const ScenarioFileLine& line = raw.lines[i];
        size_t replacement = 0;
        for (const size_t offset : line.invalid) {
            const size_t index = line.text.find(char32_t(0xFFFD), replacement);
            replacement = index + 1;
            if (line.offset + offset < skip) continue;
            const std::string bytes = raw.bytes.substr(line.offset + offset, std::min<size_t>(2, line.length - offset));
            findings.push_back(file.At(i, index, Severity::Error,
                                       utf8 ? "the file is UTF-8, not code page 932 (bytes " + Hex(bytes) +
                                                  "): convert it with \"tessaro convert\""
                                            : "bytes " + Hex(bytes) + " are not code page 932; they show as \"�\""));
            if (utf8) return;
            break;  // one finding a line is enough
        }
    }
}

// The player ends lines at CR LF or a lone CR only: a lone LF stays inside the line and ends the
// line early when the script reaches it.
void CheckLineEnds(const ScenarioFile& raw, CheckedFile& file, std::vector<Diagnostic>& findings) {
    size_t crlf = 0, cr = 0, lf = 0;
    for (const ScenarioFileLine& line : raw.lines) {
        crlf += line.end == "\r\n";
        cr += line.end == "\r";
        for (const char32_t c : line.text) lf += c == U'\n';
    }
    if (lf == 0 && (crlf == 0 || cr == 0)) return;
    const std::string usual = crlf >= cr ? "\r\n" : "\r";
    for (size_t i = 0; i < raw.lines.size(); ++i) {
        const ScenarioFileLine& line = raw.lines[i];
        const size_t feed = line.text.find(U'\n');
        if (feed != std::u32string::npos) {
            findings.push_back(file.At(i, feed, Severity::Warning,
                                       crlf + cr == 0 ? "LF line ends: the player reads the whole file as one line "
                                                        "and stops at the first line end"
                                                      : "mixed line ends: this LF alone does not end a line for the "
                                                        "player (it skips the rest of the line)"));
            return;
        }
        if (!line.end.empty() && line.end != usual) {
            findings.push_back(file.At(i, line.text.size(), Severity::Warning,
                                       "mixed line ends: a lone CR among CR LF line ends"));
            return;
        }
    }
}

}  // namespace

Diagnostic CheckedFile::At(size_t line, size_t index, Severity severity, std::string message) const {
    Diagnostic d;
    d.file = name;
    d.path = path;
    d.severity = severity;
    d.message = std::move(message);
    if (line >= lines.size()) {
        d.line = lines.empty() ? 1 : editorLine.back() + 1;
        d.column = 1;
        return d;
    }
    const std::u32string& text = lines[line];
    size_t start = 0;
    int feeds = 0;
    for (size_t i = 0; i < index && i < text.size(); ++i)
        if (text[i] == U'\n') ++feeds, start = i + 1;
    d.line = editorLine[line] + feeds;
    d.column = static_cast<int>(index - start) + 1;
    return d;
}

size_t CheckedFile::Count() const { return std::min(lines.size(), kStoredLines); }

CheckedFile* StoryFiles::Load(const std::u32string& name, std::string& why) {
    const std::string wanted = LocateFile(ScenarioPath(name));
    if (auto known = files.find(wanted); known != files.end()) return known->second.get();
    ScenarioFile raw;
    try {
        // Read here rather than through the platform: checking a story opens no window.
        raw = SplitScenario(wanted, ReadAssetFile(ScenarioPath(name), kScenarioFileCap));
    } catch (const RunTimeError& error) {
        why = error.what();
        return nullptr;
    }
    auto file = std::make_unique<CheckedFile>();
    file->name = FileNameOf(raw.path);
    file->path = raw.path;
    int editorLine = 1;
    for (ScenarioFileLine& line : raw.lines) {
        file->editorLine.push_back(editorLine);
        for (const char32_t c : line.text) editorLine += c == U'\n';
        ++editorLine;
        file->lines.push_back(line.text);
    }
    file->reached.assign(file->lines.size(), false);

    CheckByteOrderMark(raw, *file, findings);
    CheckEncoding(raw, *file, findings);
    CheckLineEnds(raw, *file, findings);
    if (file->lines.size() > kStoredLines) {
        findings.push_back(file->At(kStoredLines, 0, Severity::Error,
                                    "the file has " + std::to_string(file->lines.size()) +
                                        " lines; the player stops loading it at line 501 (500 at most)"));
        file->loadable = false;
    }
    CheckedFile* result = file.get();
    files.emplace(wanted, std::move(file));
    return result;
}

std::vector<std::pair<std::string, std::string>> StoryFiles::DataFolder() const {
    std::vector<std::pair<std::string, std::string>> found;
    std::error_code error;
    const std::string folder = LocateFile(ProgramDirectory() + "\\Data");
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        std::string lower = name;
        for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        if (lower.size() == 10 && lower.rfind("data", 0) == 0 && lower.substr(6) == ".dat")
            found.emplace_back(name, entry.path().string());
    }
    return found;
}
