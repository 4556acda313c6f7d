// "tessaro paths": every way through a story's questions, played by the real interpreter on the
// headless machine, with each path's ending, reading time, pictures and music; and a path that ends
// in an error ends in the player's very error.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Story.h"
#include "author/Paths.h"
#include "author/Tools.h"

namespace {

int RunCommandLine(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return RunTool(int(argv.size()), argv.data());
}

// A one-pixel 24-bit Windows bitmap.
std::string OnePixelBitmap() {
    const auto le = [](uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
        return out;
    };
    return "BM" + le(58, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(1, 4) + le(1, 4) + le(1, 2) + le(24, 2) +
           le(0, 4) + le(4, 4) + le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4) + std::string("\x10\x20\x30\x00", 4);
}

// Two questions on every path, three kinds of ending: the second answer to the second question
// ends at the file's end whatever came first; otherwise the first answer to the first question
// decides between the end mark and the game over.
const char* const kTwoQuestions =
    "CL01あ。P\n"                 // 0
    "Q行く？\n"                   // 1
    "はい\n"                      // 2
    "いいえ\n"                    // 3
    "FFFaS01J005bR01\n"           // 4
    "CB01X海。T100P\n"            // 5
    "Q泳ぐ？\n"                   // 6
    "泳ぐ\n"                      // 7
    "やめる\n"                    // 8
    "FFFbJ012aF01aJ010bJ011\n"    // 9
    "CL02泳いだ。Pe\n"            // 10
    "C溺れた。PG\n"               // 11
    "C帰った。P\n";               // 12

struct Expected {
    std::vector<int> answers;
    StoryPath::Ending ending;
    std::string where;
    int64_t clockMs;
    std::vector<std::string> pictures;
};

TEST(Paths, TwoQuestionsThreeEndingsFourPathsWithTheirTimes) {
    Story story;
    story.Scenario("00", kTwoQuestions);
    story.Write("Picture/Pic01.bmp", OnePixelBitmap());
    story.Write("Picture/Pic02.bmp", OnePixelBitmap());
    const PathsReport report = ExplorePaths(story.folder.string(), 256);
    SetSystem(&story.platform);

    // Each character or command run is a 16 ms step ("more than 15 ms" on a 1 ms clock); "e" and
    // "G" end the run before their step. T100 adds 101 ms, and each question 501 ms before it is
    // shown. Lines 0 to 6 are 6 + 1 + 3 + 8 + 1 steps on every path; then path 1 takes 3 steps
    // on line 9 and 7 on line 10, path 2 2 and 7 (line 12), path 3 3 and 6 (line 11), path 4 2
    // and 7.
    constexpr int64_t kFixed = 101 + 2 * 501;
    const std::vector<Expected> expected = {
        {{1, 1}, StoryPath::Ending::EndMark, "Data00.Dat:11", 29 * 16 + kFixed, {"Pic01", "Pic02"}},
        {{1, 2}, StoryPath::Ending::FileEnd, "the end of Data00.Dat", 28 * 16 + kFixed, {"Pic01"}},
        {{2, 1}, StoryPath::Ending::GameOver, "Data00.Dat:12", 28 * 16 + kFixed, {"Pic01"}},
        {{2, 2}, StoryPath::Ending::FileEnd, "the end of Data00.Dat", 28 * 16 + kFixed, {"Pic01"}},
    };
    ASSERT_EQ(report.paths.size(), expected.size()) << PathsText(report, 256);
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("path " + std::to_string(i + 1));
        const StoryPath& path = report.paths[i];
        std::vector<int> answers;
        for (const StoryPath::Answer& answer : path.answers) answers.push_back(answer.answer);
        EXPECT_EQ(answers, expected[i].answers);
        EXPECT_EQ(path.answers[0].place, "Data00.Dat:2");
        EXPECT_EQ(path.answers[1].place, "Data00.Dat:7");
        EXPECT_EQ(path.ending, expected[i].ending);
        EXPECT_EQ(path.where, expected[i].where);
        EXPECT_EQ(path.pageWaits, 3);
        EXPECT_EQ(path.clockMs, expected[i].clockMs);
        EXPECT_EQ(path.pictures, expected[i].pictures);
        EXPECT_EQ(path.music, std::vector<std::string>{"Bgm01"}) << "a missing piece is silent, yet it was played";
        EXPECT_EQ(path.ReadingMs(), path.clockMs + 2000 * path.pageWaits);
    }
    EXPECT_FALSE(report.pathBoundHit);
    EXPECT_TRUE(report.unreached.empty()) << report.unreached[0];

    const PathsReport bounded = ExplorePaths(story.folder.string(), 3);
    SetSystem(&story.platform);
    EXPECT_EQ(bounded.paths.size(), 3u);
    EXPECT_TRUE(bounded.pathBoundHit);
    EXPECT_NE(PathsText(bounded, 3).find("note: stopped at 3 paths"), std::string::npos);
}

// Each story is written as an author writes it and converted, so that places are the source's.
struct ErrorCase {
    const char* what;
    const char* source;
    std::vector<StoryPath::Ending> endings;
    std::string where;  // the path that ends otherwise than the first: its place or error
};

TEST(Paths, EndingsThatAreNotAPageAndErrorsAsThePlayerShowsThem) {
    const std::vector<ErrorCase> cases = {
        {"the second answer shows a missing picture",
         "CあP\nQ見る？\n見る\n見ない\nFFFaJ*seebJ*not\n*see\nC見た。Pe\n*not\nCL09見なかった。P\n",
         {StoryPath::Ending::EndMark, StoryPath::Ending::Error},
         "File not found: @/Picture/Pic09.bmp\nstory.txt:9 (Scenario Data00.Dat, line 7): CL09見なかった。P"},
        {"the second answer jumps back without a wait",
         "CあP\n*top\nQ見る？\n見る\n見ない\nFFFaJ*endbJ*loop\n*loop\nいJ*loop\n*end\nC終わり。P\n",
         {StoryPath::Ending::FileEnd, StoryPath::Ending::Loop},
         "story.txt:8 goes round for ever without a page wait or question"},
        {"the second answer comes back to the question",
         "CあP\n*top\nQもう一度？\nはい\nいいえ\nFFFaJ*endbJ*top\n*end\nC終わり。P\n",
         {StoryPath::Ending::FileEnd, StoryPath::Ending::Revisit},
         "story.txt:3"},
        {"the second answer goes round through a page wait",
         "CあP\nQ見る？\n見る\n見ない\nFFFaJ*endbJ*loop\n*loop\nCいP\nJ*loop\n*end\n終わり。P\n",
         {StoryPath::Ending::FileEnd, StoryPath::Ending::Loop},
         "story.txt:8 goes round for ever (with page waits, but no question)"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.what);
        Story story;
        story.Write("story.txt", c.source);
        std::filesystem::create_directories(story.folder / "Data");
        ASSERT_EQ(RunCommandLine({"convert", (story.folder / "story.txt").string(),
                                  (story.folder / "Data/Data00.Dat").string()}), 0);
        const PathsReport report = ExplorePaths(story.folder.string(), 256);
        SetSystem(&story.platform);
        ASSERT_EQ(report.paths.size(), c.endings.size()) << PathsText(report, 256);
        for (size_t i = 0; i < c.endings.size(); ++i) EXPECT_EQ(report.paths[i].ending, c.endings[i]) << i;
        std::string where = c.where;
        if (const size_t at = where.find('@'); at != std::string::npos) where.replace(at, 1, story.folder.string());
        EXPECT_EQ(report.paths[1].where, where);
        if (c.endings[1] != StoryPath::Ending::Error) continue;
        EXPECT_TRUE(report.paths[1].pictures.empty()) << "a picture that failed to load was never shown";

        // The player, answering the second answer, stops with the same text.
        story.platform.PressKey(0, Key::Space, 1 << 30);
        story.platform.PressKey(0, Key::Down, 1 << 30);
        EXPECT_EQ(story.Run(), report.paths[1].where);
    }
}

TEST(Paths, AQuestionThatCannotBeShownTakesNoAnswer) {
    Story story;
    std::string lines;
    for (int i = 0; i < 499; ++i) lines += "CあP\n";
    story.Scenario("00", lines + "Q行く？\n");  // its answers would lie past line 500
    const PathsReport report = ExplorePaths(story.folder.string(), 256);
    SetSystem(&story.platform);
    ASSERT_EQ(report.paths.size(), 1u) << PathsText(report, 256);
    EXPECT_TRUE(report.paths[0].answers.empty());
    EXPECT_EQ(report.paths[0].ending, StoryPath::Ending::Error);
    story.platform.HoldSkip(0, 1 << 30);
    EXPECT_EQ(story.Run(), report.paths[0].where);
}

}  // namespace
