#include "script/LineMap.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

namespace {

std::string UpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

// Whole non-negative decimal numbers only; anything else fails.
bool ReadNumber(std::istringstream& in, long long& value) {
    std::string word;
    if (!(in >> word) || word.empty() || word.size() > 18) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if ((word[i] < '0' || word[i] > '9') && !(word[i] == '-' && i == 0 && word.size() > 1)) return false;
    value = std::stoll(word);
    return true;
}

}  // namespace

uint64_t ScenarioHash(std::string_view bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

bool ParseLineMap(std::string_view text, LineMap& map, std::string& why) {
    map.clear();
    std::istringstream all{std::string(text)};
    std::string line;
    MappedScenario* current = nullptr;
    for (int number = 1; std::getline(all, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream in(line);
        std::string word;
        in >> word;
        const auto fail = [&](const char* what) {
            why = "line " + std::to_string(number) + ": " + what;
            map.clear();
            return false;
        };
        if (word.empty() || word[0] == '#') continue;
        if (word == "scenario") {
            std::string name, hash;
            long long size = 0;
            if (!(in >> name) || !ReadNumber(in, size) || size < 0 || !(in >> hash) || hash.size() != 16 ||
                hash.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return fail("\"scenario\" takes a name, a size and a 16-digit hash before the source");
            MappedScenario scenario;
            scenario.name = name;
            scenario.size = uint64_t(size);
            scenario.hash = std::stoull(hash, nullptr, 16);
            std::getline(in >> std::ws, scenario.source);
            if (scenario.source.empty()) return fail("\"scenario\" names no source");
            const std::string key = UpperCase(name);
            map[key] = std::move(scenario);
            current = &map[key];
        } else if (word == "label") {
            std::string name;
            long long l = 0;
            if (current == nullptr) return fail("a \"label\" line before any \"scenario\" line");
            if (!(in >> name) || !ReadNumber(in, l) || l < 1 || l > 1000000)
                return fail("\"label\" takes a name and a line");
            current->labels[name] = int(l - 1);
        } else if (word == "lines" || word == "shift") {
            if (current == nullptr) return fail("a \"lines\" or \"shift\" line before any \"scenario\" line");
            if (word == "lines") {
                long long n = 0;
                while (!(in >> std::ws).eof()) {
                    if (!ReadNumber(in, n)) return fail("\"lines\" takes line numbers only");
                    if (n < 1 || n > 1000000) return fail("a source line outside 1 to 1000000");
                    current->sourceLine.push_back(int(n));
                }
            } else {
                long long l = 0, c = 0, d = 0;
                if (!ReadNumber(in, l) || !ReadNumber(in, c) || !ReadNumber(in, d) || l < 1 || c < 1 ||
                    l > 1000000 || c > 1000000 || d < -1000000 || d > 1000000)
                    return fail("\"shift\" takes a line, a column and a change");
                current->shifts.push_back({int(l), int(c), int(d)});
            }
        } else {
            return fail("not a line of a line map");
        }
    }
    return true;
}

std::string FormatLineMap(const LineMap& map) {
    std::string out =
        "# Tessaro line map, written by \"tessaro convert\": for each scenario file, its size and hash as\n"
        "# written, its source, and the source line of each of its lines (README: Writing stories).\n";
    for (const auto& [name, scenario] : map) {
        char head[96];
        std::snprintf(head, sizeof head, "scenario %s %" PRIu64 " %016" PRIx64 " ",
                      (scenario.name.empty() ? name : scenario.name).c_str(), scenario.size, scenario.hash);
        out += head + scenario.source + "\nlines";
        for (const int line : scenario.sourceLine) out += ' ' + std::to_string(line);
        out += '\n';
        for (const auto& [label, line] : scenario.labels)
            out += "label " + label + ' ' + std::to_string(line + 1) + '\n';
        for (const MappedScenario::Shift& shift : scenario.shifts)
            out += "shift " + std::to_string(shift.line) + ' ' + std::to_string(shift.column) + ' ' +
                   std::to_string(shift.delta) + '\n';
    }
    return out;
}

const MappedScenario* FindMapped(const LineMap& map, const std::string& name) {
    const auto found = map.find(UpperCase(name));
    return found == map.end() ? nullptr : &found->second;
}

void PutMapped(LineMap& map, const std::string& name, MappedScenario scenario) {
    scenario.name = name;
    map[UpperCase(name)] = std::move(scenario);
}

MapState MapStateOf(const MappedScenario* scenario, size_t size, uint64_t hash) {
    if (scenario == nullptr) return MapState::Absent;
    return scenario->size == size && scenario->hash == hash ? MapState::Valid : MapState::Stale;
}

bool SourcePlace(const MappedScenario& scenario, size_t line, int column, int& sourceLine, int& sourceColumn) {
    if (line >= scenario.sourceLine.size()) return false;
    sourceLine = scenario.sourceLine[line];
    sourceColumn = column;
    for (const MappedScenario::Shift& shift : scenario.shifts)
        if (size_t(shift.line) == line + 1 && column >= shift.column) sourceColumn += shift.delta;
    return true;
}

std::string StaleMapText(const std::string& scenarioName, const MappedScenario& scenario) {
    return "the line map is out of date for " + scenarioName + ", changed since it was converted from " +
           scenario.source + ", and its lines are not mapped";
}
