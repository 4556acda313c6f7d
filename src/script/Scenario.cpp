#include "script/Scenario.h"

#include <string_view>
#include <vector>

#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Platform.h"
#include "system/TextCodec.h"

std::array<std::u32string, kLastSlot + 1> ScriptLine;

namespace {

std::string currentScenarioFile;

constexpr char kCtrlZ = 0x1A;

}  // namespace

const std::string& CurrentScenarioFile() { return currentScenarioFile; }

void LoadScenario(const std::u32string& name) {
    const std::string fileName = "Data" + ToUtf8(name) + ".Dat";
    const std::string path = AssetPath("Data", fileName);
    std::string bytes = System().ReadFile(path);

    // Old editors mark the end of a file with Ctrl-Z; one at the very end is not text.
    if (!bytes.empty() && bytes.back() == kCtrlZ) bytes.pop_back();

    // A line ends at CR LF or at a lone CR; a lone LF stays inside the line. Neither byte can be
    // part of a two-byte Shift-JIS character, so the split is made before decoding.
    std::vector<std::u32string> lines;
    size_t start = 0;
    const std::string_view all(bytes);
    while (start < all.size()) {
        size_t end = all.find('\r', start);
        if (end == std::string_view::npos) end = all.size();
        lines.push_back(DecodeCp932(all.substr(start, end - start)));
        lines.back().push_back(U'\\');  // the end-of-line mark
        // A file too long for the store is a subscript error. It is found before anything is
        // stored, so the error names the line that chained here, as a missing file's does.
        if (lines.size() > kLastSlot)
            throw SubscriptOutOfRange("more than 500 lines in " + System().FindFile(path));
        start = end + 1;
        if (start < all.size() && all[start] == '\n') ++start;
    }
    currentScenarioFile = fileName;
    for (size_t slot = 0; slot < lines.size(); ++slot) ScriptLine[slot] = std::move(lines[slot]);
    ScriptLine[lines.size()] = std::u32string(1, U'e');  // the end mark after the last line
}
