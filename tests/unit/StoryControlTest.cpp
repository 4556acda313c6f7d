// Flags, branches, jumps, chaining, page waits, pauses and questions, run by the real
// interpreter against the virtual clock and scripted keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "script/Steering.h"
#include "script/Interpreter.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "system/Errors.h"
#include "window/Crt.h"

namespace {

constexpr int64_t kGiveUp = 20000;  // a run still going then has gone wrong

struct Press {
    int64_t at;
    Key key;
};

// Runs scenario "00" (and "01") with the keys; returns the rows 0 to 4 joined by "|" without the
// empty ones at the end, or the error text.
std::string Outcome(const std::string& data00, std::vector<Press> keys = {}, const std::string& data01 = "",
                    int64_t* endedAt = nullptr) {
    std::fill(std::begin(Flag), std::end(Flag), kFalse);
    Story story;
    story.Scenario("00", data00);
    if (!data01.empty()) story.Scenario("01", data01);
    for (const Press& press : keys) story.platform.PressKey(press.at, press.key);
    story.platform.CloseWindowAt(kGiveUp);
    std::string error;
    try {
        error = story.Run();
    } catch (const ProgramEnd&) {
        return "still running";
    }
    if (endedAt != nullptr) *endedAt = story.platform.now;
    if (!error.empty()) return error;
    std::string rows;
    for (int i = 0; i < kRows; ++i) {
        if (i > 0) rows += '|';
        rows += Utf8(CurrentRun().TextLine[i]);
    }
    return rows.substr(0, rows.find_last_not_of('|') + 1);
}

// Runs the story until the window is closed at `at`, so what is drawn then can be looked at.
void StopAt(Story& story, int64_t at) {
    story.platform.CloseWindowAt(at);
    try {
        ADD_FAILURE() << "the run ended before " << at << " ms: " << story.Run();
    } catch (const ProgramEnd&) {
    }
}

bool Inked(int left, int top, int right, int bottom) {  // any white pixel in the rectangle
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (CrtPixelAt(x, y) == 0xFFFFFF) return true;
    return false;
}

TEST(Steering, FlagsBranchesAndJumps) {
    EXPECT_EQ(Outcome("S10F10a真J002b偽\n飛\nR10F10a真J004b偽\n次\n"), "真偽|次");
    EXPECT_EQ(Outcome("S0aF0a前a後\nR0bF0b前b後\n"), "前a後|前b後") << "an index digit is its own label";
    EXPECT_EQ(Outcome("a前S01F01A後a末\n"), "a前末") << "labels are lower case, looked for from the F on";
    EXPECT_EQ(Outcome("前S01F01後b\n次R02F02後a\n末\n"), "前|次|末") << "no label: on at the next line";
    std::string twelveOn = "J12\n";
    for (int i = 1; i < 12; ++i) twelveOn += "飛\n";
    EXPECT_EQ(Outcome(twelveOn + "十二\n"), "十二");
    EXPECT_EQ(Outcome("J1.5\n一\n二\n"), "二");
    EXPECT_EQ(Outcome("J2.5\n一\n二\n"), "二");
    EXPECT_EQ(Outcome("J501\n").rfind("Subscript out of range", 0), 0u);
    EXPECT_EQ(Outcome("J-1\n").rfind("Subscript out of range", 0), 0u);
    const std::string overflow = Outcome("一\n二J9e9\n");
    EXPECT_EQ(overflow.rfind("Overflow", 0), 0u) << overflow;
    EXPECT_NE(overflow.find("Scenario Data00.Dat, line 2: 二J9e9"), std::string::npos) << overflow;
}

TEST(Steering, ChainKeepsFlagsAndRowsAndRunsLeftoverSlots) {
    EXPECT_EQ(Outcome("S05前D01\n", {}, "F05a後\n"), "前|後");
    EXPECT_EQ(Outcome("D01\n二\n三\n四\n", {}, "J003\n"), "|四");
}

TEST(Steering, AChainThatFailsNamesTheLineOfItsD) {
    std::string tooLong;
    for (int i = 0; i < 501; ++i) tooLong += "x\n";
    const struct {
        const char* what;
        std::string data01;
        const char* error;
    } cases[] = {
        {"missing", "", "File not found: "},
        {"501 lines", tooLong, "Subscript out of range: more than 500 lines in "},
    };
    for (const auto& c : cases) {
        const std::string error = Outcome("一\n二D01\n", {}, c.data01);
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.what << ": " << error;
        EXPECT_NE(error.find("Data01.Dat\nScenario Data00.Dat, line 2: 二D01"), std::string::npos)
            << c.what << ": " << error;
    }
}

TEST(Steering, ChainClearsTheAreaDownToThePicture) {
    Story story;
    const std::unique_ptr<Image> red = NewImage(20, 20);
    FillImage(*red, 0, 0, 20, 20, 0xFF0000);
    Crt.Picture(*red);
    story.Scenario("00", "1\n2\n3\n4\n■■■D01\n");  // row 4 paints below the box
    story.Scenario("01", "六\n");
    EXPECT_EQ(story.Run(), "");
    EXPECT_EQ(Utf8(CurrentRun().TextLine[0]), "六") << "the sixth row starts on an empty box";
    EXPECT_FALSE(Inked(15, 271, 60, 285));
    EXPECT_EQ(CrtPixelAt(10, 10), 0xFF0000u);
}

TEST(Waits, PageWaitAndPause) {
    EXPECT_EQ(Outcome("あいうP後\n", {{40, Key::Space}}), "あいう後") << "pressed while typing";
    int64_t end = 0;
    EXPECT_EQ(Outcome("あいうP後\n", {{5, Key::Space}, {1000, Key::Space}}, "", &end), "あいう後");
    EXPECT_GT(end, 1000) << "a Space seen by a typing step is not kept for the page wait";
    // Three steps of 16 ms, and the pause: 1 ms for T000, none for a negative one.
    EXPECT_EQ((Outcome("T000後\n", {}, "", &end), end), 49);
    EXPECT_EQ((Outcome("T-99後\n", {}, "", &end), end), 48);
}

TEST(Waits, CursorBlinksFivePixelsAfterTheRowNeverInAPassThatTurnsIt) {
    // Passes at 64, 115 (turns on), 166, 217 (turns off), 268, 319 (on), 370, 421 (off).
    for (auto [at, shown] : {std::pair{140, false}, {190, true}, {240, false}, {400, true}}) {
        Story story;
        story.Scenario("00", "一\nああP\n");
        StopAt(story, at);
        EXPECT_EQ(Inked(44, 225, 56, 237), shown) << at;
        EXPECT_FALSE(Inked(40, 225, 43, 237)) << at;
        if (at == 140) {
            EXPECT_TRUE(CurrentRun().BlinkOn) << "on, yet not drawn in the pass that turned it";
        }
    }
}

TEST(Waits, PageWaitSleepsThroughQuietPassesYetReadsKeysAtEachPass) {
    // Passes at 64 + 51k; a Space at any moment passes the page at the first pass due then or
    // later, whether or not the program was woken for the passes before it.
    const std::string page = "一\nああP後\n";
    int64_t end = 0;
    ASSERT_EQ(Outcome(page, {{64, Key::Space}}, "", &end), "一|ああ後");
    const int64_t after = end - 64;  // what follows the page takes this long
    for (int64_t at = 65; at <= 480; at += 7) {
        const int64_t pass = 64 + (at - 64 + 50) / 51 * 51;
        Outcome(page, {{at, Key::Space}}, "", &end);
        EXPECT_EQ(end - after, pass) << "Space at " << at;
    }
    // Of four passes, one shows the cursor and the next takes it away; the two others change
    // nothing on the screen, and the program sleeps through them. Besides, the typing and the
    // window's timer wake it about ten times.
    Story story;
    story.Scenario("00", page);
    StopAt(story, 2100);
    EXPECT_LE(story.platform.sleeps, 30) << "40 passes in two seconds";
}

TEST(Waits, QuestionAnswers) {
    const std::string question = "前Q問い\n答え一\n答え二\nFFFa一番eb二番\n";  // the loop: 517, 618, ...
    EXPECT_EQ(Outcome(question, {{600, Key::Space}}), "一番");
    EXPECT_EQ(Outcome(question, {{600, Key::Down}, {800, Key::Space}}), "二番");
    EXPECT_EQ(Outcome(question, {{600, Key::Up}, {600, Key::Down}, {800, Key::Space}}), "二番");
    EXPECT_EQ(Outcome(question, {{600, Key::Down}, {700, Key::Up}, {900, Key::Space}}), "一番");
    int64_t end = 0;
    EXPECT_EQ(Outcome(question, {{100, Key::Down}, {200, Key::Space}, {900, Key::Space}}, "", &end), "一番");
    EXPECT_GT(end, 900) << "keys pressed before the question was up are forgotten";
    EXPECT_EQ(Outcome(std::string(499, '\n') + "Q問\n").rfind("Subscript out of range", 0), 0u);
}

TEST(Waits, QuestionIsDrawnAtItsPlaces) {
    Story story;
    story.Scenario("00", "前Q■\n■■\n■■■\n");
    story.platform.PressKey(600, Key::Down);
    StopAt(story, 750);
    EXPECT_TRUE(Inked(15, 210, 26, 222) && !Inked(27, 210, 60, 222)) << "question";
    EXPECT_TRUE(Inked(30, 225, 53, 237) && !Inked(15, 225, 29, 237)) << "first answer, no arrow";
    EXPECT_TRUE(Inked(15, 240, 29, 252) && Inked(54, 240, 65, 252)) << "arrow, second answer";
}

TEST(Waits, EndMarkAndNeverFilledSlotAreEmptyAnswers) {
    Story story;
    story.Scenario("00", "Q■\n");  // slot 1 holds the end mark, slot 2 was never filled
    StopAt(story, 650);
    EXPECT_EQ(Utf8(CurrentRun().ChoiceText[1]) + Utf8(CurrentRun().ChoiceText[2]), "");
    EXPECT_TRUE(Inked(15, 210, 26, 222));
    EXPECT_FALSE(Inked(30, 225, 290, 269));
}

}  // namespace
