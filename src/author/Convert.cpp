#include "author/Convert.h"

#include <cstdio>
#include <map>

#include "script/Scenario.h"
#include "system/TextCodec.h"
#include "author/NearestName.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct SourceLine {
    std::u32string text;
    int number;  // in the source, from 1
};

bool IsNameCharacter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || c == U'_';
}

std::string CodePoint(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

// The source's lines: CR LF, a lone CR and a lone LF all end one; a last line end adds no line.
std::vector<SourceLine> SplitLines(const std::u32string& text) {
    std::vector<SourceLine> lines;
    std::u32string current;
    size_t i = 0;
    while (i < text.size()) {
        const char32_t c = text[i++];
        if (c != U'\r' && c != U'\n') {
            current.push_back(c);
            continue;
        }
        if (c == U'\r' && i < text.size() && text[i] == U'\n') ++i;
        lines.push_back({std::move(current), int(lines.size()) + 1});
        current.clear();
    }
    if (!current.empty()) lines.push_back({std::move(current), int(lines.size()) + 1});
    return lines;
}

}  // namespace

std::vector<Diagnostic> ConvertScenario(const std::string& source, const std::string& sourceName, std::string& out,
                                        MappedScenario* lines) {
    std::vector<Diagnostic> errors;
    const auto fail = [&](int line, size_t index, std::string message) {
        Diagnostic d;
        d.file = d.path = sourceName;
        d.line = line;
        d.column = int(index) + 1;
        d.severity = Severity::Error;
        d.message = std::move(message);
        errors.push_back(std::move(d));
    };

    std::u32string text = FromUtf8(source);
    if (!text.empty() && text.front() == 0xFEFF) text.erase(0, 1);  // the byte-order mark some editors write

    // Labels first: each names the index the next kept line will have.
    std::map<std::u32string, std::pair<size_t, int>> labels;  // name -> (script line, source line)
    std::vector<SourceLine> kept;
    for (SourceLine& line : SplitLines(text)) {
        if (line.text.empty() || line.text.front() != U'*') {
            kept.push_back(std::move(line));
            continue;
        }
        std::u32string name = line.text.substr(1);
        while (!name.empty() && (name.back() == U' ' || name.back() == U'\t')) name.pop_back();
        size_t bad = 0;
        while (bad < name.size() && IsNameCharacter(name[bad])) ++bad;
        if (name.empty() || bad < name.size()) {
            fail(line.number, 1 + bad, "a label line is \"*\" and a name of letters, digits and \"_\"");
        } else if (auto known = labels.find(name); known != labels.end()) {
            fail(line.number, 0, "label \"" + ToUtf8(name) + "\" is defined twice (first on line " +
                                     std::to_string(known->second.second) + ")");
        } else {
            labels[name] = {kept.size(), line.number};
            if (lines != nullptr) lines->labels[ToUtf8(name)] = int(kept.size());
        }
    }

    out.clear();
    for (size_t index = 0; index < kept.size(); ++index) {
        const SourceLine& line = kept[index];
        std::u32string resolved;
        for (size_t i = 0; i < line.text.size(); ++i) {
            const char32_t c = line.text[i];
            if (c == kReplacement) {
                fail(line.number, i, "this is not UTF-8 text");
                break;
            }
            if (c != U'J' || i + 1 >= line.text.size() || line.text[i + 1] != U'*') {
                resolved.push_back(c);
                continue;
            }
            // The longest label that the name starts with, so "J*seabJ*top" finds "sea" before the
            // branch label "b".
            size_t end = i + 2;
            while (end < line.text.size() && IsNameCharacter(line.text[end])) ++end;
            const std::u32string written = line.text.substr(i + 2, end - i - 2);
            auto found = labels.end();
            for (size_t length = written.size(); length > 0 && found == labels.end(); --length) {
                found = labels.find(written.substr(0, length));
                if (found != labels.end()) end = i + 2 + length;
            }
            if (found == labels.end()) {
                std::vector<std::string> names;
                for (const auto& [known, where] : labels) names.push_back(ToUtf8(known));
                const std::string nearest = NearestName(ToUtf8(written), names);
                fail(line.number, i, "no label \"" + ToUtf8(written) + "\" for this jump" +
                                         (nearest.empty() ? "" : " (is it \"*" + nearest + "\"?)"));
            } else if (found->second.first > 999) {
                fail(line.number, i, "label \"" + ToUtf8(found->first) + "\" stands past line 999");
            } else {
                char digits[8];
                std::snprintf(digits, sizeof digits, "J%03zu", found->second.first);
                // The characters after the jump stand this much further right in the source.
                if (lines != nullptr && end - i != 4)
                    lines->shifts.push_back({int(index) + 1, int(resolved.size()) + 5, int(end - i) - 4});
                resolved += FromUtf8(digits);
            }
            i = end - 1;
        }
        std::string encoded;
        size_t failedAt = 0;
        if (!EncodeCp932(line.text, encoded, failedAt)) {
            // Every character that has no form, not just the first.
            for (size_t i = failedAt; i < line.text.size(); ++i) {
                const char32_t c = line.text[i];
                if (c != kReplacement && !EncodeCp932(std::u32string_view(&line.text[i], 1), encoded, failedAt))
                    fail(line.number, i, "\"" + ToUtf8(std::u32string(1, c)) + "\" (" + CodePoint(c) + ") has no code page 932 form");
            }
            continue;
        }
        EncodeCp932(resolved, encoded, failedAt);
        out += encoded + "\r\n";
        if (lines != nullptr) lines->sourceLine.push_back(line.number);
    }
    if (kept.size() > size_t(kLastSlot))
        fail(kept.back().number, 0, "the scenario has " + std::to_string(kept.size()) + " lines; the player takes 500");
    if (!errors.empty()) out.clear();
    return errors;
}
