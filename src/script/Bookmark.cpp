#include "script/Bookmark.h"

#include <cstdio>

#include "system/TextCodec.h"

namespace {

constexpr const char* kHeader = "Tessaro bookmark 1";

// Text in one field of a line: control bytes and "%" as %XX, so that a row's tab or a stray byte
// can neither end the field nor the line.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Unescaped(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::string Hex64(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool ReadHex64(const std::string& text, uint64_t& value) {
    if (text.size() != 16) return false;
    value = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        value = value * 16 + uint64_t(digit);
    }
    return true;
}

bool ReadNumber(const std::string& text, int low, int high, int16_t& value) {
    if (text.empty() || text.size() > 6) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    int number = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    if (text[0] == '-') number = -number;
    if (number < low || number > high) return false;
    value = static_cast<int16_t>(number);
    return true;
}

// A file the story names as its commands make names: the prefix, two characters, the suffix.
bool IsAssetName(const std::string& name, const std::string& prefix, const std::string& suffix) {
    if (name.size() < prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::u32string middle = FromUtf8(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
    return middle.size() == 2 && middle.find_first_of(U"/\\") == std::u32string::npos;
}

std::string PageLine(const HistoryPage& page) {
    std::string line = "page";
    for (const std::u32string& row : page) line += "\t" + Escaped(ToUtf8(row));
    return line + "\n";
}

}  // namespace

std::string KeptChecksum(const std::string& bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return Hex64(hash);
}

std::string WithChecksum(const std::string& text) { return text + "check " + KeptChecksum(text) + "\n"; }

std::string CheckedLines(const std::string& bytes, const std::string& header, std::vector<std::string>& lines) {
    lines.clear();
    if (bytes.empty()) return "empty";
    const size_t firstEnd = bytes.find('\n');
    const std::string first = bytes.substr(0, firstEnd);
    const std::string kind = header.substr(0, header.rfind(' '));
    if (first.rfind(kind + " ", 0) != 0) return "not a " + header.substr(header.find(' ') + 1, header.rfind(' ') - header.find(' ') - 1) + " file";
    if (first != header) return "from another version (" + Escaped(first.substr(0, 40)) + ")";
    if (bytes.back() != '\n') return "cut short";
    const size_t checkAt = bytes.rfind("check ", bytes.size() - 1);
    if (checkAt == std::string::npos || (checkAt != 0 && bytes[checkAt - 1] != '\n')) return "cut short";
    const std::string sum = bytes.substr(checkAt + 6, bytes.size() - checkAt - 7);
    if (sum != KeptChecksum(bytes.substr(0, checkAt))) return "damaged (its checksum does not match)";
    size_t start = firstEnd + 1;
    while (start < checkAt) {
        const size_t end = bytes.find('\n', start);
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return "";
}

std::string FormatBookmark(const Bookmark& bookmark) {
    std::string head = std::string(kHeader) + "\n";
    head += "story " + Hex64(bookmark.story) + "\n";
    head += "scenario " + Escaped(ToUtf8(bookmark.scenario)) + "\n";
    head += "line " + std::to_string(bookmark.line) + "\n";
    head += "position " + std::to_string(bookmark.position) + "\n";
    std::string flags;
    for (int i = 0; i < 256; i += 4) {
        int nibble = 0;
        for (int j = 0; j < 4; ++j)
            if (bookmark.flags[i + j] != 0) nibble |= 8 >> j;
        flags += "0123456789abcdef"[nibble];
    }
    head += "flags " + flags + "\n";
    head += "picture " + (bookmark.picture.empty() ? "-" : Escaped(bookmark.picture)) + "\n";
    head += "music " + (bookmark.music.empty() ? "-" : Escaped(bookmark.music) + (bookmark.musicPlaying ? " play" : " stop")) + "\n";
    // The newest pages that fit: the backlog gives way before the place does.
    std::vector<std::string> pages;
    size_t size = head.size() + 24;  // the checksum line
    for (auto page = bookmark.backlog.rbegin(); page != bookmark.backlog.rend(); ++page) {
        std::string line = PageLine(*page);
        if (size + line.size() > kBookmarkCap) break;
        size += line.size();
        pages.push_back(std::move(line));
    }
    for (auto page = pages.rbegin(); page != pages.rend(); ++page) head += *page;
    return WithChecksum(head);
}

std::string ParseBookmark(const std::string& bytes, Bookmark& bookmark) {
    std::vector<std::string> lines;
    if (std::string wrong = CheckedLines(bytes, kHeader, lines); !wrong.empty()) return wrong;
    bookmark = Bookmark{};
    const char* const fields[] = {"story", "scenario", "line", "position", "flags", "picture", "music"};
    if (lines.size() < std::size(fields)) return "cut short";
    std::string value[std::size(fields)];
    for (size_t i = 0; i < std::size(fields); ++i) {
        const std::string name = std::string(fields[i]) + " ";
        if (lines[i].rfind(name, 0) != 0) return "not as written (no " + std::string(fields[i]) + " line)";
        value[i] = lines[i].substr(name.size());
    }
    std::string text;
    if (!ReadHex64(value[0], bookmark.story)) return "not as written (story)";
    if (!Unescaped(value[1], text) || FromUtf8(text).size() != 2) return "not as written (scenario)";
    bookmark.scenario = FromUtf8(text);
    if (!ReadNumber(value[2], 0, 500, bookmark.line)) return "not as written (line)";
    if (!ReadNumber(value[3], 0, 32767, bookmark.position)) return "not as written (position)";
    if (value[4].size() != 64) return "not as written (flags)";
    for (int i = 0; i < 64; ++i) {
        const int nibble = HexDigit(value[4][size_t(i)]);
        if (nibble < 0) return "not as written (flags)";
        for (int j = 0; j < 4; ++j) bookmark.flags[i * 4 + j] = (nibble & (8 >> j)) != 0 ? int16_t(-1) : int16_t(0);
    }
    if (value[5] != "-" && (!Unescaped(value[5], bookmark.picture) || !IsAssetName(bookmark.picture, "Pic", ".bmp")))
        return "not as written (picture)";
    if (value[6] != "-") {
        const size_t blank = value[6].rfind(' ');
        const std::string how = blank == std::string::npos ? "" : value[6].substr(blank + 1);
        if ((how != "play" && how != "stop") || !Unescaped(value[6].substr(0, blank), bookmark.music) ||
            !IsAssetName(bookmark.music, "Bgm", ".mid"))
            return "not as written (music)";
        bookmark.musicPlaying = how == "play";
    }
    for (size_t i = std::size(fields); i < lines.size(); ++i) {
        if (lines[i].rfind("page\t", 0) != 0) return "not as written (backlog)";
        HistoryPage page;
        size_t start = 5;
        for (;;) {
            const size_t tab = lines[i].find('\t', start);
            if (!Unescaped(lines[i].substr(start, tab == std::string::npos ? std::string::npos : tab - start), text))
                return "not as written (backlog)";
            page.push_back(FromUtf8(text));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        bookmark.backlog.push_back(std::move(page));
    }
    if (bookmark.backlog.size() > kHistoryPages) return "not as written (backlog)";
    return "";
}
