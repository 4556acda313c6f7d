#include "script/Scenario.h"

#include <string_view>

#include "system/Errors.h"
#include "system/Files.h"
#include "system/TextCodec.h"

std::array<std::u32string, kLastSlot + 1> ScriptLine;

namespace {

std::string currentScenarioFile;

constexpr char kCtrlZ = 0x1A;

// Stores one slot; a file too long for the store is a subscript error.
void Store(size_t slot, std::u32string text, const std::string& path) {
    if (slot > kLastSlot)
        throw SubscriptOutOfRange("more than 500 lines in " + PrintableName(LocateFile(path)));
    ScriptLine[slot] = std::move(text);
}

}  // namespace

const std::string& CurrentScenarioFile() { return currentScenarioFile; }

void LoadScenario(const std::u32string& name) {
    const std::string fileName = "Data" + ToUtf8(name) + ".Dat";
    const std::string path = ProgramDirectory() + "\\Data\\" + fileName;
    std::string bytes = ReadAssetFile(path, kScenarioFileCap);
    currentScenarioFile = fileName;

    // Old editors mark the end of a file with Ctrl-Z; one at the very end is not text.
    if (!bytes.empty() && bytes.back() == kCtrlZ) bytes.pop_back();

    // A line ends at CR LF or at a lone CR; a lone LF stays inside the line. Neither byte can be
    // part of a two-byte Shift-JIS character, so the split is made before decoding.
    size_t slot = 0;
    size_t start = 0;
    const std::string_view all(bytes);
    while (start < all.size()) {
        size_t end = all.find('\r', start);
        if (end == std::string_view::npos) end = all.size();
        Store(slot++, DecodeCp932(all.substr(start, end - start)) + U"\\", path);
        start = end + 1;
        if (start < all.size() && all[start] == '\n') ++start;
    }
    Store(slot, U"e", path);
}
