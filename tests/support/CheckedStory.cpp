#include "support/CheckedStory.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "sound/Bgm.h"
#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "script/Steering.h"
#include "support/TestPlatform.h"
#include "system/Errors.h"
#include "author/Check.h"
#include "window/MainForm.h"

namespace {

// Long enough for a few pages, questions and chains; short enough that a story of long rows,
// each step drawing the whole row, stays within a fuzzer's time for one input.
constexpr int64_t kPlayedMs = 3000;

void Put(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Little(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out.push_back(char(value >> (8 * i) & 0xFF));
    return out;
}

// A 24-bit bitmap of width x height whose pixel rows hold only `stored` bytes.
std::string Bitmap(uint32_t width, uint32_t height, size_t stored) {
    return "BM" + Little(uint32_t(54 + stored), 4) + Little(0, 4) + Little(54, 4) + Little(40, 4) + Little(width, 4) +
           Little(height, 4) + Little(1, 2) + Little(24, 2) + Little(0, 4) + Little(uint32_t(stored), 4) +
           std::string(16, '\0') + std::string(stored, '\x40');
}

// What one byte of the input writes. The long runs of text reach the limit of the character
// position within the input lengths a fuzzer tries.
const std::vector<std::string>& Tokens() {
    static const std::vector<std::string> tokens = {
        "\r\n", "\r\n", "\r\n", "\r", "\n", "\\", "P", "C", "\x82\xA0", "x", " ", "a", "b", "ab", "F00", "F01",
        "F0a", "S00", "R00", "S01", "R01", "Q", "J000", "J001", "J002", "J005", "J499", "J-01", "J600", "J1E9",
        "D01", "D02", "D0", "L91", "L92", "L93", "L94", "L95", "L96", "L0", "B01", "B0", "X", "Z", "W01",
        "W0", "T010", "T9E9", "T", "e", "G", "0", "1", "\x82", std::string(4000, 'x'), std::string(4000, 'b'),
    };
    return tokens;
}

}  // namespace

void WriteGeneratedStory(const std::string& folder, std::string_view input) {
    const std::filesystem::path root(folder);
    Put(root / "Picture/Pic91.bmp", Bitmap(2, 2, 16));
    Put(root / "Picture/Pic92.bmp", "");
    Put(root / "Picture/Pic93.bmp", Bitmap(100, 100, 40));
    Put(root / "Picture/Pic94.bmp", Bitmap(9000, 1, 27000));
    std::filesystem::create_directories(root / "Picture/Pic95.bmp");
    std::string files[2];
    // The first byte chooses: even, the rest is the grammar; odd, the rest is the files' bytes,
    // Data00.Dat and Data01.Dat parted by the first 0xFF.
    if (!input.empty() && (uint8_t(input[0]) & 1) == 1) {
        const std::string_view rest = input.substr(1);
        const size_t part = rest.find('\xFF');
        files[0] = std::string(rest.substr(0, part));
        if (part != std::string_view::npos) files[1] = std::string(rest.substr(part + 1));
    } else {
        int file = 0;
        for (size_t i = input.empty() ? 0 : 1; i < input.size(); ++i) {
            const uint8_t byte = uint8_t(input[i]);
            if (byte == 0xFF) file = 1;
            else files[file] += Tokens()[byte % Tokens().size()];
        }
    }
    Put(root / "Data/Data00.Dat", files[0]);
    Put(root / "Data/Data01.Dat", files[1]);
}

std::string CheckerDisagreement(const std::string& folder) {
    const CheckResult checked = CheckStory(folder);
    if (AnyError(checked.diagnostics)) return "";
    TestPlatform platform;
    for (int64_t at = 200; at < kPlayedMs; at += 200)
        platform.PressKey(at, at % 600 == 200 ? Key::Down : Key::Space, at % 400 == 200 ? 150 : 1);
    platform.CloseWindowAt(kPlayedMs);
    for (auto& slot : ScriptLine) slot.clear();
    for (int16_t& flag : Flag) flag = 0;
    BgmLoop = 0;
    try {
        ScreenWidth = ScreenHeight = 300;
        MainForm_Load();
        LoadScenario(U"00");
        RunScript();
    } catch (const RunTimeError& error) {
        return std::string("the checker passes the story, the player stops: ") + error.what() + "\n" +
               DiagnosticsText(checked.diagnostics, checked.filesRead);
    } catch (const ProgramEnd&) {
    }
    return "";
}
