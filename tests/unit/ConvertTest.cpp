// "tessaro convert": UTF-8 text in, the player's code page 932 with CR LF out, labels turned into
// line numbers; any error writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "script/Scenario.h"
#include "support/Story.h"
#include "system/TextCodec.h"
#include "author/Convert.h"
#include "author/Tools.h"

namespace {

namespace fs = std::filesystem;

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

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Whatever stands at the target, convert writes the scenario or refuses with a clear error; it
// never writes through a link, never replaces what is not a file, never overwrites its source,
// and leaves the target's permissions as they were.
TEST(Convert, HazardsAtTheTargetAreRefusedOrKeptSafe) {
    const std::string source = "あP\n";
    const std::string converted = Cp932("あP\r\n");
    const struct {
        const char* hazard;
        std::function<void(const fs::path&)> plant;  // given the folder; the source is src.txt
        const char* target;
        int status;
        const char* said;                             // on stderr
        std::function<void(const fs::path&)> after;  // what must hold afterwards
    } cases[] = {
        {"a link planted at the old fixed temporary name",
         [](const fs::path& d) { std::ofstream(d / "victim") << "mine"; fs::create_symlink(d / "victim", d / "out.Dat.partial"); },
         "out.Dat", 0, "",
         [&](const fs::path& d) { EXPECT_EQ(Contents(d / "victim"), "mine"); EXPECT_EQ(Contents(d / "out.Dat"), converted); }},
        {"a private target keeps its mode",
         [](const fs::path& d) { std::ofstream(d / "out.Dat") << "old"; fs::permissions(d / "out.Dat", fs::perms(0600)); },
         "out.Dat", 0, "",
         [&](const fs::path& d) { EXPECT_EQ(fs::status(d / "out.Dat").permissions(), fs::perms(0600)); EXPECT_EQ(Contents(d / "out.Dat"), converted); }},
        {"a new target gets the umask", [](const fs::path&) {}, "out.Dat", 0, "",
         [&](const fs::path& d) { EXPECT_EQ(fs::status(d / "out.Dat").permissions(), fs::perms(0640)); }},
        {"a named pipe as target", [](const fs::path& d) { ::mkfifo((d / "out.Dat").c_str(), 0600); },
         "out.Dat", 1, "not a regular file",
         [&](const fs::path& d) { EXPECT_TRUE(fs::is_fifo(fs::symlink_status(d / "out.Dat"))); }},
        {"a link as target",
         [](const fs::path& d) { std::ofstream(d / "victim") << "mine"; fs::create_symlink(d / "victim", d / "out.Dat"); },
         "out.Dat", 1, "not a regular file",
         [&](const fs::path& d) { EXPECT_TRUE(fs::is_symlink(d / "out.Dat")); EXPECT_EQ(Contents(d / "victim"), "mine"); }},
        {"a folder as target", [](const fs::path& d) { fs::create_directory(d / "out.Dat"); }, "out.Dat", 1,
         "not a regular file", [&](const fs::path& d) { EXPECT_TRUE(fs::is_directory(d / "out.Dat")); }},
        {"the source itself", [](const fs::path&) {}, "src.txt", 1, "is the source itself",
         [&](const fs::path& d) { EXPECT_EQ(Contents(d / "src.txt"), source); }},
        {"the source by another name", [](const fs::path& d) { fs::create_hard_link(d / "src.txt", d / "out.Dat"); },
         "out.Dat", 1, "is the source itself", [&](const fs::path& d) { EXPECT_EQ(Contents(d / "src.txt"), source); }},
        {"the source through a link", [](const fs::path& d) { fs::create_symlink(d / "src.txt", d / "out.Dat"); },
         "out.Dat", 1, "is the source itself", [&](const fs::path& d) { EXPECT_EQ(Contents(d / "src.txt"), source); }},
    };
    const mode_t umask = ::umask(027);
    for (const auto& c : cases) {
        Story story;
        story.Write("src.txt", source);
        c.plant(story.folder);
        testing::internal::CaptureStderr();
        const int status = RunCommandLine({"convert", (story.folder / "src.txt").string(), (story.folder / c.target).string()});
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, c.status) << c.hazard << ": " << said;
        EXPECT_NE(said.find(c.said), std::string::npos) << c.hazard << ": " << said;
        c.after(story.folder);
        // Nothing is left beside the target: no temporary file, written or not.
        for (const auto& entry : fs::directory_iterator(story.folder))
            EXPECT_NE(entry.path().filename().string()[0], '.') << c.hazard << ": " << entry.path();
    }
    ::umask(umask);
}

// Only the shortest form of each character is UTF-8: the rest is an error at its line and
// column, never a character ("C0 AF" is not "/", "C1 8A" not the command letter "J").
TEST(Convert, MalformedUtf8IsAnErrorAtItsPlace) {
    const struct {
        const char* what;
        std::string source;
        const char* at;
    } cases[] = {
        {"overlong /", "あ\n\xC0\xAF", "2:1"},
        {"overlong / in three bytes", "xy\xE0\x80\xAF", "1:3"},
        {"overlong J", "\xC1\x8A" "001", "1:1"},
        {"overlong in four bytes", "\xF0\x80\x80\xAF", "1:1"},
        {"a surrogate", "あい\xED\xA0\x80", "1:3"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "1:1"},
        {"a five-byte form", "\xF8\x88\x80\x80\x80", "1:1"},
        {"a stray continuation byte", "あ\x80", "1:2"},
        {"a character cut short", "\nあ\xE3\x81", "2:2"},
    };
    for (const auto& c : cases) {
        std::string out;
        std::vector<std::string> found;
        for (const Diagnostic& d : ConvertScenario(c.source, "story.txt", out))
            found.push_back(std::to_string(d.line) + ":" + std::to_string(d.column));
        EXPECT_EQ(found, std::vector<std::string>{c.at}) << c.what;
        EXPECT_TRUE(out.empty()) << c.what;
    }
    EXPECT_EQ(FromUtf8("\xF4\x8F\xBF\xBF\xEF\xBF\xBD\xE0\xA0\x80"), U"\U0010FFFF\uFFFD\u0800") << "the edges themselves";
}

}  // namespace
