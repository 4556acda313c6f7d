// "tessaro check" on small stories, one for each kind of hazard, and on one story that holds
// them all: each hazard is found once, at its file, line and column.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/Story.h"
#include "author/Check.h"
#include "author/Tools.h"
#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/TextCodec.h"

namespace {

// A scenario file: UTF-8 lines written as the player reads them, or raw bytes as they are.
struct Fixture {
    const char* hazard;
    std::string bytes;
    std::vector<std::string> expected;  // "LINE:COLUMN: severity", in order
};

std::string Lines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const std::string& line : lines) out += Cp932(line) + "\r\n";
    return out;
}

std::string Repeated(const std::string& line, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += Cp932(line) + "\r\n";
    return out;
}

const std::vector<Fixture>& Fixtures() {
    static const std::vector<Fixture> fixtures = {
        {"bytes that are not code page 932", Cp932("あいうP\r\n") + "\x82\x20" + Cp932("えP\r\n"), {"2:1: error"}},
        {"more than 500 lines", Repeated("CあP", 501), {"501:1: error"}},
        {"D names a missing file", Lines({"あP", "D77"}), {"2:1: error"}},
        {"L names a missing picture", Lines({"L77あP"}), {"1:1: error"}},
        {"B names missing music", Lines({"B77あP"}), {"1:1: warning"}},
        {"W names a missing sound", Lines({"あW77P"}), {"1:2: warning"}},
        {"J outside 0 to 500", Lines({"あP", "J600"}), {"2:1: error"}},
        {"J past the file's last line", Lines({"あP", "J050"}), {"2:1: error"}},
        {"a number that does not fit", Lines({"あP", "T9E9あP"}), {"2:1: error"}},
        {"an argument past the end of its line", Lines({"あPW1"}), {"1:3: error"}},
        {"Q on line 499", Repeated("CあP", 499) + Lines({"Qどっち？"}), {"500:1: error"}},
        {"Q without its answer lines", Lines({"Qどっち？", "はい"}), {"1:1: error"}},
        {"F without one of its labels", Lines({"F0AaあP"}), {"1:1: error"}},
        {"LF line ends", Cp932("あP\nいP\n"), {"1:3: warning"}},
        {"mixed line ends", Cp932("あP\r\nいP\nうP\r\n"), {"2:3: warning"}},
        {"a UTF-8 byte-order mark", "\xEF\xBB\xBF" + Lines({"あP"}), {"1:1: warning"}},
        {"a row wider than the box", Lines({"あいうえおかきくけこさしすせそたちつてとなにぬねP"}), {"1:24: warning"}},
        {"text on the fifth row", Lines({"Cあ", "い", "う", "え", "おP"}), {"5:1: warning"}},
        {"e inside text", Lines({"CHello"}), {"1:3: warning"}},
        {"a command letter inside text", Lines({"あW1 いP"}), {"1:2: warning"}},
        {"a flag index with a lower-case label letter", Lines({"F0baあP"}), {"1:1: warning"}},
        {"a page ending without P before C", Lines({"あ", "CいP", "一瞬だけT100", "CうP", "読める間T800", "CえP"}),
         {"2:1: warning", "4:1: warning"}},
        {"a page ending without P before a question", Lines({"あ", "Qどっち？", "はい", "いいえ", "うP"}),
         {"2:1: warning"}},
        {"a last line without P", Lines({"あP", "い"}), {"2:2: warning"}},
        {"lines no path runs", Lines({"あPJ003", "い", "う", "えP"}), {"2:1: note"}},
        {"\\ inside a line ends it", Lines({"あ\\L77P", "いP"}), {"1:2: warning"}},
        {"an empty picture", Lines({"L09あP"}), {"1:1: error"}},
        {"a sound that is not a wave file", Lines({"あW09P"}), {"1:2: warning"}},
        {"empty music", Lines({"B09あP"}), {"1:1: warning"}},
        {"a picture without pixels", Lines({"L08あP"}), {"1:1: error"}},
        {"a line longer than the character position counts", Lines({std::string(32767, 'x') + "P"}),
         {"1:47: warning", "1:32768: error"}},
    };
    return fixtures;
}

// The pictures and sounds the fixtures name, beside the scenario files.
void WritePictures(Story& story) {
    story.Write("Wave/Wave09.wav", "RIFF\x04\0\0\0AVI ");
    story.Write("Bgm/Bgm09.mid", "");
    story.Write("Picture/Pic09.bmp", "");
    story.Write("Picture/Pic08.bmp", "BM" + std::string(52, '\0'));
}

std::vector<std::string> Found(const CheckResult& result) {
    std::vector<std::string> found;
    for (const Diagnostic& d : result.diagnostics) {
        static const char* names[] = {"error", "warning", "note"};
        found.push_back(d.file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": " +
                        names[int(d.severity)]);
    }
    return found;
}

std::string Listing(const CheckResult& result) { return DiagnosticsText(result.diagnostics, result.filesRead); }

TEST(Check, EachHazardAloneIsFoundOnceAtItsPlace) {
    for (const Fixture& fixture : Fixtures()) {
        Story story;
        WritePictures(story);
        story.Write("Data/Data00.Dat", fixture.bytes);
        const CheckResult result = CheckStory(story.folder.string());
        std::vector<std::string> expected;
        for (const std::string& place : fixture.expected) expected.push_back("Data00.Dat:" + place);
        EXPECT_EQ(Found(result), expected) << fixture.hazard << "\n" << Listing(result);
    }
}

// Data00.Dat branches on flags 01, 02, ... to chain to each fixture in turn, so that one story
// reaches every hazard.
TEST(Check, OneStoryWithEveryHazardGetsOneFindingForEach) {
    Story story;
    WritePictures(story);
    std::string hub;
    std::vector<std::string> expected;
    const auto& fixtures = Fixtures();
    for (size_t i = 0; i < fixtures.size(); ++i) {
        char name[24], line[80];
        std::snprintf(name, sizeof name, "%02zu", i + 1);
        std::snprintf(line, sizeof line, "F%02zXaD%sbJ%03zu", i + 1, name, i + 1);
        hub += std::string(line) + "\r\n";
        story.Write("Data/Data" + std::string(name) + ".Dat", fixtures[i].bytes);
        for (const std::string& place : fixtures[i].expected) expected.push_back("Data" + std::string(name) + ".Dat:" + place);
    }
    story.Write("Data/Data00.Dat", hub);
    story.Write("Data/Data99.Dat", Lines({"あP"}));
    expected.push_back("Data99.Dat:0:0: note");
    const CheckResult result = CheckStory(story.folder.string());
    EXPECT_EQ(Found(result), expected) << Listing(result);
    EXPECT_EQ(result.filesRead, fixtures.size() + 1);
}

TEST(Check, AMissingFirstFileIsAnError) {
    Story story;
    story.Write("Picture/Pic01.bmp", "");
    const CheckResult result = CheckStory(story.folder.string());
    EXPECT_EQ(Found(result), std::vector<std::string>{"Data00.Dat:0:0: error"}) << Listing(result);
}

int RunCommandLine(std::vector<std::string> arguments, std::string& said) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = RunTool(int(argv.size()), argv.data());
    said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    return status;
}

// A "\" is a separator only in the names the scenario gives: a story folder, or a file given on
// the command line, may hold one in its name. Reports stay whole and valid UTF-8 whatever bytes
// the names and the script hold.
TEST(Check, NamesAndReportsTakeAnyBytes) {
    Story story;
    const std::filesystem::path odd = story.folder / "a\\b";
    std::filesystem::create_directories(odd / "Data");
    std::filesystem::create_directories(odd / "Picture");
    std::ofstream(odd / "Data/Data00.Dat", std::ios::binary) << Cp932("あP\r\nD01\r\n");
    std::ofstream(odd / "Data/Data01.Dat", std::ios::binary) << Cp932("いP\r\n");
    std::ofstream(odd / "story.txt", std::ios::binary) << "うP\n";
    std::string said;
    EXPECT_EQ(RunCommandLine({"check", "--", odd.string()}, said), 0) << said;
    EXPECT_EQ(said, "0 errors, 0 warnings, 0 notes in 2 scenario files\n");
    EXPECT_EQ(RunCommandLine({"convert", (odd / "story.txt").string(), (odd / "Data/Data02.Dat").string()}, said), 0)
        << said;
    SetProgramDirectory(odd.string());
    for (const int64_t at : {500, 1000, 1500}) story.platform.PressKey(at, Key::Space);
    EXPECT_EQ(story.Run(), "");
    EXPECT_EQ(CurrentScenarioFile(), "Data01.Dat");

    EXPECT_EQ(RunCommandLine({"check", "--bogus"}, said), 2);
    EXPECT_NE(said.find("unknown option --bogus"), std::string::npos) << said;

    const struct {
        const char* what;
        std::string file, message;
        const char* shown;  // in both reports
    } cases[] = {
        {"a byte that is not UTF-8", "Data\xFF.Dat", "x", "Data\\xff.Dat"},
        {"a NUL", "Data00.Dat", std::string("\"L\0\x31\"", 5), "\"L\\x001\""},
        {"an escape", "Data00.Dat", "\x1b[2J", "\\x1b[2J"},
        {"UTF-8 text", "Data00.Dat", "「あ」", "「あ」"},
    };
    for (const auto& c : cases) {
        Diagnostic d;
        d.file = d.path = c.file;
        d.message = c.message;
        const std::string text = DiagnosticsText({d}, 1), json = DiagnosticsJson({d}, 1);
        EXPECT_NE(text.find(c.shown), std::string::npos) << c.what << ": " << text;
        EXPECT_NE(text.find("0 errors, 1 warning"), std::string::npos) << c.what << ": " << text;
        EXPECT_EQ(FromUtf8(json).find(U'\uFFFD'), std::u32string::npos) << c.what << ": " << json;
        EXPECT_EQ(json.find('\0'), std::string::npos) << c.what;
    }
}

}  // namespace
