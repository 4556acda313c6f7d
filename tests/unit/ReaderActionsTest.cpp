// The reader's own actions besides the story's keys: the volume and the text speed changed while
// reading, each with a short note that dims and goes; auto mode turning the pages by itself and
// waiting at questions. On the real interpreter against the virtual clock.
#include <gtest/gtest.h>

#include <vector>

#include "script/AutoMode.h"
#include "script/History.h"
#include "script/ReaderKeys.h"
#include "script/TextSpeed.h"
#include "sound/Volume.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "system/Errors.h"
#include "window/Crt.h"
#include "window/Pacing.h"

namespace {

// An action done once, at the first pump at or after a moment (as a key would be handled).
struct Scheduled {
    int64_t at;
    void (*action)();
    bool done = false;
};
std::vector<Scheduled> scheduled;
void RunScheduled() {
    for (Scheduled& s : scheduled)
        if (!s.done && ClockMs() >= s.at) {
            s.done = true;
            s.action();
        }
}

// Runs the story until the window closes at `at`.
void RunUntil(Story& story, int64_t at) {
    story.platform.CloseWindowAt(at);
    SetEventHook(RunScheduled);
    try {
        story.Run();
    } catch (const ProgramEnd&) {
    }
    SetEventHook(nullptr);
    scheduled.clear();
}

}  // namespace

TEST(ReaderActions, AVolumeNoteShowsDimsAndGoes) {
    Story story;
    story.Scenario("00", "一頁目です。P\ne\n");
    SetStoryVolume(100);
    scheduled = {{1000, [] { ChangeVolume(-kVolumeStep); }}, {1500, [] { ChangeVolume(-kVolumeStep); }}};
    for (const int64_t at : {1300, 1800, 2800, 3100}) story.platform.ShootScreenAt(at);
    RunUntil(story, 3300);
    EXPECT_EQ(story.platform.volumesSet, (std::vector<int>{100, 90, 80}));
    const auto at = [&](int64_t when, int x, int y) {
        return story.platform.shots.at(when)[size_t(y * story.platform.screenWidth + x)];
    };
    const int edge = kCrtBorder + 4;  // the note's top-left corner
    EXPECT_EQ(at(1300, edge, edge), PaletteColour(kLightGrey)) << "shown";
    EXPECT_EQ(at(1800, edge, edge), PaletteColour(kLightGrey)) << "the newer value in its place";
    EXPECT_NE(story.platform.shots.at(1300), story.platform.shots.at(1800)) << "90% then 80%";
    EXPECT_EQ(at(2800, edge, edge), 0x808080u) << "dimmed in its last moments";
    EXPECT_EQ(at(3100, edge, edge), 0u) << "gone: the black under it again";
    SetStoryVolume(100);
}

TEST(ReaderActions, TextSpeedStepsAndStaysAtItsEnds) {
    SetTextSpeed(TextSpeed::Normal);
    struct Step {
        bool faster;
        TextSpeed then;
    };
    for (const Step& step : {Step{true, TextSpeed::Fast}, Step{true, TextSpeed::Instant},
                             Step{true, TextSpeed::Instant}, Step{false, TextSpeed::Fast},
                             Step{false, TextSpeed::Normal}, Step{false, TextSpeed::Slow},
                             Step{false, TextSpeed::Slow}}) {
        Story story;
        ChangeTextSpeed(step.faster);
        EXPECT_EQ(CurrentTextSpeed(), step.then);
    }
    // The speed chosen types the page at its pace: by the same moment, fewer characters the slower.
    std::vector<size_t> typed;
    for (const TextSpeed speed : {TextSpeed::Slow, TextSpeed::Normal, TextSpeed::Fast, TextSpeed::Instant}) {
        Story story;
        story.Scenario("00", "一二三四五六七八九十一二三四五六七八九十P\ne\n");
        SetTextSpeed(speed);
        RunUntil(story, 100);
        typed.push_back(CurrentRun().TextLine[0].size());
    }
    EXPECT_LT(typed[0], typed[1]);
    EXPECT_LT(typed[1], typed[2]);
    EXPECT_EQ(typed[3], 20u);
    SetTextSpeed(TextSpeed::Normal);
}

TEST(ReaderActions, AutoModeTurnsPagesByItselfAndWaitsAtQuestions) {
    const char* const script = "一頁目。P\nC二頁目の文です。P\nQ行きますか\nはい\nいいえ\nFFFaC行く。Pe\n";
    struct Case {
        bool autoMode;
        int64_t closeAt;
        bool atQuestion;
    };
    for (const Case& c : {Case{false, 9000, false}, Case{true, 9000, true}, Case{true, 20000, true}}) {
        SCOPED_TRACE(std::string(c.autoMode ? "auto" : "by hand") + " until " + std::to_string(c.closeAt));
        Story story;
        story.Scenario("00", script);
        if (c.autoMode) scheduled = {{500, [] { ToggleAutoMode(); }}};
        RunUntil(story, c.closeAt);
        EXPECT_EQ(QuestionShown(), c.atQuestion);
        if (!c.atQuestion) {
            EXPECT_EQ(Utf8(CurrentRun().TextLine[0]), "一頁目。");
        }
        SetAutoMode(false);
    }
    // The page stays longer the more it holds.
    int64_t turned[2] = {};
    const char* const pages[] = {"短い。P\nC次。Pe\n", "ずっと長い頁の文がここにあります。P\nC次。Pe\n"};
    for (int i = 0; i < 2; ++i) {
        Story story;
        story.Scenario("00", pages[i]);
        SetAutoMode(true);
        story.platform.CloseWindowAt(20000);
        EXPECT_EQ(story.Run(), "");
        turned[i] = story.platform.now;
        SetAutoMode(false);
    }
    EXPECT_GT(turned[1] - turned[0], 900) << "fifteen more characters, 80 ms each, less the typing";
}

TEST(ReaderActions, TheReadersKeysWorkAtEveryWait) {
    // At a page wait, inside a pause and at a question: each key changes its value at once.
    struct Case {
        const char* name;
        int64_t at;  // while the story is there
    };
    for (const Case& c : {Case{"a page wait", 300}, Case{"a pause", 1200}, Case{"a question", 2400}}) {
        SCOPED_TRACE(c.name);
        Story story;
        story.Scenario("00", "一頁目。P\nCT900二頁目。P\nQ行きますか\nはい\nいいえ\ne\n");
        SetStoryVolume(100);
        SetTextSpeed(TextSpeed::Normal);
        if (c.at > 1000) story.platform.PressKey(1000, Key::Space);
        if (c.at > 2000) story.platform.PressKey(2000, Key::Space);
        story.platform.PressKey(c.at, Key::VolumeDown);
        story.platform.PressKey(c.at + 20, Key::Faster);
        story.platform.PressKey(c.at + 40, Key::Auto);
        story.platform.CloseWindowAt(c.at + 300);
        try {
            story.Run();
        } catch (const ProgramEnd&) {
        }
        EXPECT_EQ(StoryVolume(), 90);
        EXPECT_EQ(CurrentTextSpeed(), TextSpeed::Fast);
        EXPECT_TRUE(AutoMode());
        SetAutoMode(false);
        SetStoryVolume(100);
        SetTextSpeed(TextSpeed::Normal);
    }
}
