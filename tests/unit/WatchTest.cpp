// --watch: when the scenario file being played changes on disk, the run starts again at the
// beginning of the page on screen, in the file as it is now, with the flags kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "script/Steering.h"
#include "support/Story.h"
#include "window/Pacing.h"
#include "app/Watch.h"

namespace {

Story* story = nullptr;
std::string rewritten;  // what the file becomes, once the clock passes kRewriteAt
bool written = false;
constexpr int64_t kRewriteAt = 700;  // in line 1's pause

void RewriteThenLook() {
    if (!written && story->platform.now >= kRewriteAt) {
        story->Scenario("00", rewritten);
        written = true;
    }
    LookAtScenarioFile();
}

struct Case {
    const char* what;
    std::string after;
    std::string firstRow, secondRow;  // at the end
};

TEST(Watch, AChangedFileStartsAgainAtThePageOnScreenWithTheFlagsKept) {
    // The page on screen began with the clear on line 0: an edit of any of its rows shows.
    const std::vector<Case> cases = {
        {"the line reached, changed", "C一。\n新しい二。F01aJ003b\n違う。\n四。T500\n", "一。", "新しい二。四。"},
        {"an earlier row of the page, changed", "C新しい一。\n二。T500\n", "新しい一。", "二。"},
        {"a file now shorter than the line reached", "C短い。T500\n", "短い。", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Story s;
        story = &s;
        rewritten = c.after;
        written = false;
        // About 570 ms a line: its characters, then the pause.
        s.Scenario("00", "CS01一。T500\n二。T500\n三。T500\n");
        LoadScenario(U"00");
        WatchScenarioFiles(true);
        SetEventHook(RewriteThenLook);
        RunWatched(0);
        WatchScenarioFiles(false);
        EXPECT_TRUE(written);
        EXPECT_EQ(Utf8(CurrentRun().TextLine[0]), c.firstRow);
        EXPECT_EQ(Utf8(CurrentRun().TextLine[1]), c.secondRow);
        EXPECT_NE(Flag[1], 0) << "flags are kept";
    }
    story = nullptr;
}

}  // namespace
