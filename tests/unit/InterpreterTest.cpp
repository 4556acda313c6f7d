// The interpreter loop: text into rows, new lines, clearing, the endings, and its pace.
#include <gtest/gtest.h>

#include "script/Interpreter.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "system/Errors.h"

namespace {

std::string Row(int i) { return Utf8(CurrentRun().TextLine[i]); }

TEST(RunScript, TypesOneCharacterPerStepAndMovesToTheNextRowAtTheLineEnd) {
    Story story;
    story.Scenario("00", "あい\nう\n");
    EXPECT_EQ(story.Run(), "");
    EXPECT_EQ(Row(0), "あい");
    EXPECT_EQ(Row(1), "う");
    EXPECT_EQ(CurrentRun().TextRow, 2);
    // Five steps (あ, い, end of line, う, end of line) of 15 ms each, on a clock that has to move
    // past the 15th millisecond; the end mark takes no step.
    EXPECT_EQ(story.platform.now, 5 * 16);
}

TEST(RunScript, SixthLineStartsOnAnEmptyBox) {
    Story story;
    story.Scenario("00", "1\n2\n3\n4\n5\n6\n");
    story.Run();
    EXPECT_EQ(Row(0), "6");
    for (int i = 1; i < 5; ++i) EXPECT_EQ(Row(i), "") << i;
}

TEST(RunScript, ClearInTheMiddleOfALineGoesOnAtRowZero) {
    Story story;
    story.Scenario("00", "一\n二C三\n");
    story.Run();
    EXPECT_EQ(Row(0), "三");
    EXPECT_EQ(Row(1), "");
    EXPECT_EQ(CurrentRun().TextRow, 1);
}

TEST(RunScript, LowerCaseEEndsTheRunAndOtherLettersAreText) {
    Story story;
    story.Scenario("00", "ab cd!e never\n");
    story.Run();
    EXPECT_EQ(Row(0), "ab cd!");
}

TEST(RunScript, LoneLineFeedEndsTheLine) {
    Story story;
    story.Write("Data/Data00.Dat", "ab\ncd\r\n");
    story.Run();
    EXPECT_EQ(Row(0), "ab");
    EXPECT_EQ(Row(1), "") << "the rest of the line after the line feed never runs";
}

TEST(RunScript, GameOverShowsItsBoxAndEnds) {
    Story story;
    story.Scenario("00", "終わりG続かない\n");
    EXPECT_EQ(story.Run(), "");
    ASSERT_EQ(story.platform.messageBoxes.size(), 1u);
    EXPECT_EQ(story.platform.messageBoxes[0], "Tessaro|ゲームオーバー！");
    EXPECT_EQ(Row(0), "終わり");
}

TEST(RunScript, ClosingTheWindowEndsTheProgramAtOnce) {
    Story story;
    story.Scenario("00", "長い長い長い長い長い文章です\n");
    story.platform.CloseWindowAt(40);
    try {
        story.Run();
        FAIL() << "the run went on after the window closed";
    } catch (const ProgramEnd& end) {
        EXPECT_EQ(end.status, 0);
    }
    EXPECT_LE(story.platform.now, 48);
    EXPECT_LT(Row(0).size(), std::string("長い長い長い長い長い文章です").size());
}

TEST(RunScript, AnArgumentThatTakesInTheEndOfLineMarkEndsTheLine) {
    Story story;
    // "S1\" reads "1\" as its index and steps past the mark; the next line still runs, at once.
    story.Scenario("00", "前S1\n次T5\n末\n");
    EXPECT_EQ(story.Run(), "");
    EXPECT_EQ(Row(0), "前");
    EXPECT_EQ(Row(1), "次");
    EXPECT_EQ(Row(2), "末");
    EXPECT_LT(story.platform.now, 1000);
}

TEST(RunScript, RunningOffTheStoreNamesTheLineThatLedThere) {
    Story story;
    story.Scenario("00", "一\n二J501\n");
    const std::string error = story.Run();
    EXPECT_EQ(error, "Subscript out of range: line index 501 is outside the script (0 to 500)\n"
                     "Scenario Data00.Dat, line 2: 二J501");
}

TEST(RunScript, NeverFilledSlotsAreEmptyLinesUpToTheEndOfTheStore) {
    Story story;
    story.Scenario("00", "J498\n");
    const std::string error = story.Run();
    // Slots 498 to 500 were never filled: each is passed as an empty line, then the store ends.
    EXPECT_EQ(error.rfind("Subscript out of range: line index 501", 0), 0u) << error;
    EXPECT_NE(error.find("line 501: "), std::string::npos) << error;
}

}  // namespace
