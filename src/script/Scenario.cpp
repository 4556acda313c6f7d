#include "script/Scenario.h"

#include <string_view>

#include "script/LineMap.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Platform.h"
#include "system/TextCodec.h"

std::array<std::u32string, kLastSlot + 1> ScriptLine;

namespace {

std::string currentScenarioFile;
size_t currentScenarioSize = 0;
uint64_t currentScenarioHash = 0;

constexpr char kCtrlZ = 0x1A;

std::map<std::string, ConvertedScenario> convertedScenarios;

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

std::string FileName(const std::u32string& name) { return "Data" + ToUtf8(name) + ".Dat"; }

}  // namespace

const std::string& CurrentScenarioFile() { return currentScenarioFile; }
size_t CurrentScenarioSize() { return currentScenarioSize; }
uint64_t CurrentScenarioHash() { return currentScenarioHash; }

std::string ScenarioPath(const std::u32string& name) { return AssetPath("Data", FileName(name)); }

void SetConvertedScenarios(std::map<std::string, ConvertedScenario> converted) {
    convertedScenarios = std::move(converted);
}

const ConvertedScenario* FindConvertedScenario(const std::string& fileName) {
    const auto found = convertedScenarios.find(Upper(fileName));
    return found == convertedScenarios.end() ? nullptr : &found->second;
}

ScenarioFile ReadScenario(const std::u32string& name) {
    const std::string path = ScenarioPath(name);
    const ConvertedScenario* converted = FindConvertedScenario(FileName(name));
    std::string bytes = converted != nullptr ? converted->bytes : System().ReadFile(path);
    return SplitScenario(System().FindFile(path), std::move(bytes));
}

ScenarioFile SplitScenario(std::string path, std::string bytes) {
    ScenarioFile file;
    file.path = std::move(path);
    file.bytes = std::move(bytes);

    // Old editors mark the end of a file with Ctrl-Z; one at the very end is not text.
    std::string_view all(file.bytes);
    if (!all.empty() && all.back() == kCtrlZ) all.remove_suffix(1);

    // A line ends at CR LF or at a lone CR; a lone LF stays inside the line. Neither byte can be
    // part of a two-byte Shift-JIS character, so the split is made before decoding.
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\r', start);
        if (end == std::string_view::npos) end = all.size();
        ScenarioFileLine line;
        line.offset = start;
        line.length = end - start;
        line.text = DecodeCp932(all.substr(start, end - start), &line.invalid);
        start = end;
        if (start < all.size()) ++start;
        if (start < all.size() && all[start] == '\n') ++start;
        line.end = std::string(all.substr(end, start - end));
        file.lines.push_back(std::move(line));
    }
    return file;
}

namespace {

// A story that chains files back and forth (and "tessaro paths", which plays it again and again)
// loads the same few files many times: the last ones decoded are kept, by their bytes.
struct DecodedScenario {
    std::string bytes;
    std::vector<std::u32string> lines;  // each with its end-of-line mark
    uint64_t hash = 0;
};
std::array<DecodedScenario, 2> recentScenarios;
size_t nextRecent = 0;

const DecodedScenario& Decoded(const std::u32string& name) {
    const std::string path = ScenarioPath(name);
    const ConvertedScenario* converted = FindConvertedScenario(FileName(name));
    std::string bytes = converted != nullptr ? converted->bytes : System().ReadFile(path);
    for (const DecodedScenario& recent : recentScenarios)
        if (!recent.lines.empty() && recent.bytes == bytes) return recent;
    ScenarioFile file = SplitScenario(System().FindFile(path), std::move(bytes));
    // A file too long for the store is a subscript error. It is found before anything is
    // stored, so the error names the line that chained here, as a missing file's does.
    if (file.lines.size() > kLastSlot)
        throw SubscriptOutOfRange("more than 500 lines in " + PrintableName(file.path));
    DecodedScenario& decoded = recentScenarios[nextRecent++ % recentScenarios.size()];
    decoded.lines.clear();
    for (ScenarioFileLine& line : file.lines) {
        line.text.push_back(U'\\');  // the end-of-line mark
        decoded.lines.push_back(std::move(line.text));
    }
    decoded.hash = ScenarioHash(file.bytes);
    decoded.bytes = std::move(file.bytes);
    return decoded;
}

}  // namespace

void LoadScenario(const std::u32string& name) {
    const DecodedScenario& file = Decoded(name);
    currentScenarioFile = FileName(name);
    currentScenarioSize = file.bytes.size();
    currentScenarioHash = file.hash;
    size_t slot = 0;
    for (const std::u32string& line : file.lines) ScriptLine[slot++] = line;
    ScriptLine[slot] = std::u32string(1, U'e');  // the end mark after the last line
}
