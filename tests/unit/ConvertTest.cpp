// "tessaro convert": UTF-8 text in, the player's code page 932 with CR LF out, labels turned into
// line numbers; any error writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "script/Scenario.h"
#include "support/Story.h"
#include "system/TextCodec.h"
#include "author/Convert.h"
#include "author/Tools.h"

namespace {

int RunCommandLine(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return RunTool(int(argv.size()), argv.data());
}

TEST(Convert, AnyLineEndsAndLabelsBecomeTheFileThePlayerReads) {
    // A byte-order mark, LF, CR LF and CR line ends, labels in jumps and in a branch's line.
    const std::string source =
        "\xEF\xBB\xBF" "CL01夜の海。P\n*top\r\nQ行く？\r行く\nやめる\nFFFaJ*seabJ*top\n*sea\n海だ。P";
    Story story;
    story.Write("story.txt", source);
    std::filesystem::create_directories(story.folder / "Data");
    ASSERT_EQ(RunCommandLine({"convert", (story.folder / "story.txt").string(), (story.folder / "Data/Data00.Dat").string()}), 0);
    std::ifstream written(story.folder / "Data/Data00.Dat", std::ios::binary);
    std::stringstream bytes;
    bytes << written.rdbuf();
    EXPECT_EQ(bytes.str(), Cp932("CL01夜の海。P\r\nQ行く？\r\n行く\r\nやめる\r\nFFFaJ005bJ001\r\n海だ。P\r\n"));

    LoadScenario(U"00");
    EXPECT_EQ(Utf8(ScriptLine[4]), "FFFaJ005bJ001\\");
    EXPECT_EQ(Utf8(ScriptLine[6]), "e");
}

TEST(Convert, ErrorsNameLineAndColumnAndNothingIsWritten) {
    const struct {
        const char* source;
        std::vector<std::string> errors;  // "LINE:COLUMN"
    } cases[] = {
        {"あい\nう❤え\n", {"2:2"}},
        {"J*nowhereです\n", {"1:1"}},
        {"*twice\nあ\n*twice\nFFFaJ*twice\n", {"3:1"}},
        {"*bad name\nあ\n", {"1:5"}},
        {"あ\xFF\n", {"1:2"}},
        {"鷗外と❤と☃\nJ*none\n", {"1:1", "1:4", "1:6", "2:1"}},
    };
    for (const auto& c : cases) {
        std::string out = "untouched";
        std::vector<std::string> found;
        for (const Diagnostic& d : ConvertScenario(c.source, "story.txt", out))
            found.push_back(std::to_string(d.line) + ":" + std::to_string(d.column));
        EXPECT_EQ(found, c.errors) << c.source;
        EXPECT_TRUE(out.empty()) << c.source;
    }

    Story story;
    story.Write("story.txt", "月が❤のぼった。P\n");
    EXPECT_EQ(RunCommandLine({"convert", (story.folder / "story.txt").string(), (story.folder / "Data00.Dat").string()}), 1);
    EXPECT_FALSE(std::filesystem::exists(story.folder / "Data00.Dat"));
    EXPECT_FALSE(std::filesystem::exists(story.folder / "Data00.Dat.partial"));
}

}  // namespace
