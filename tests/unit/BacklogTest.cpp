// The backlog, run by the real interpreter against the virtual clock and scripted keys: it opens
// at a page wait, in a question, while a row types and in a pause, shows the pages read (a
// question with the answer taken), scrolls, and gives the story back exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "script/Interpreter.h"
#include "script/Steering.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "system/Errors.h"
#include "window/Crt.h"

namespace {

struct Press {
    int64_t at;
    Key key;
};

// What the backlog shows at a moment: its rows from the top (the first few are enough).
struct View {
    int64_t at;
    std::vector<std::u32string> rows;
};

struct BacklogCase {
    const char* name;
    std::string script;
    std::vector<Press> without;  // the story's keys, with no backlog
    std::vector<Press> with;     // the same story's keys, later by the time held, and the backlog's
    int64_t held;                // how long the backlog held the story up
    std::vector<std::pair<int64_t, int64_t>> unchanged;  // the screen is the same at both moments
    std::vector<std::pair<int64_t, int64_t>> asWithout;  // at `first` without it as at `second` with it
    std::vector<View> views;
};

struct Played {
    std::map<int64_t, std::vector<uint32_t>> shots;
    int width = 0;
    int64_t endedAt = 0;
    std::string rows;
};

Played Play(const std::string& script, const std::vector<Press>& keys, const std::vector<int64_t>& shotsAt) {
    std::fill(std::begin(Flag), std::end(Flag), kFalse);
    Story story;
    story.Scenario("00", script);
    for (const Press& press : keys) story.platform.PressKey(press.at, press.key);
    for (const int64_t at : shotsAt) story.platform.ShootScreenAt(at);
    story.platform.CloseWindowAt(20000);
    Played played;
    try {
        played.rows = story.Run();
    } catch (const ProgramEnd&) {
        played.rows = "still running";
    }
    for (int i = 0; i < kRows; ++i) played.rows += (i > 0 ? "|" : "") + Utf8(CurrentRun().TextLine[i]);
    played.shots = story.platform.shots;
    played.width = story.platform.screenWidth;
    played.endedAt = story.platform.now;
    return played;
}

// The backlog's rows in the client image: from (12, 14), 15 pixels apart, cut before the marks
// on the right; what is not ink there is the dark-blue panel.
constexpr int kRowLeft = 12, kFirstRowTop = 14, kRowPitch = 15, kInkLeft = 8, kInkRight = 282;

// Whether the shot shows these rows from the top, each as the font draws it.
::testing::AssertionResult ShowsRows(const std::vector<uint32_t>& shot, int width,
                                     const std::vector<std::u32string>& rows) {
    if (shot.empty()) return ::testing::AssertionFailure() << "no shot taken";
    const auto at = [&](int x, int y) { return shot[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF; };
    if (at(150, 290) != 0x000080) return ::testing::AssertionFailure() << "no backlog panel";
    const std::unique_ptr<Image> expected = NewImage(width, kRowPitch);
    for (size_t i = 0; i < rows.size(); ++i) {
        FillImage(*expected, 0, 0, width, kRowPitch, 0);
        expected->Print(kRowLeft, 0, rows[i], ImageRect{kInkLeft, 0, kInkRight - kInkLeft, kRowPitch});
        const int top = kFirstRowTop + kRowPitch * int(i);
        for (int y = 0; y < kRowPitch; ++y)
            for (int x = kInkLeft; x < kInkRight; ++x)
                if ((at(x, top + y) == 0xFFFFFF) != ((expected->Row(y)[x] & 0xFFFFFF) == 0xFFFFFF))
                    return ::testing::AssertionFailure() << "row " << i << " is not \"" << Utf8(rows[i]) << "\"";
    }
    return ::testing::AssertionSuccess();
}

std::string Pages(int count) {  // pages of two rows each
    std::string script;
    for (int page = 1; page <= count; ++page) {
        const std::string n = std::to_string(page);
        script += (page > 1 ? "C第" : "第") + n + "頁の一行目。\n第" + n + "頁の二行目。P\n";
    }
    return script;
}

std::vector<Press> SpacesEvery500(int count, std::vector<Press> more = {}) {
    for (int i = 1; i <= count; ++i) more.push_back({500 * i, Key::Space});
    return more;
}

TEST(Backlog, OpensScrollsAndGivesTheStoryBackAsItWas) {
    const BacklogCase cases[] = {
        {"at a page wait, closed with Space (which does not turn the page)",
         "一頁目。P\nC二頁目。P\n",
         {{300, Key::Space}, {1500, Key::Space}},
         {{300, Key::Space}, {1000, Key::PageUp}, {1500, Key::Space}, {2001, Key::Space}},
         501,  // until the Space that closed it is let go
         {{1000, 1502}},
         {},
         {{1500, {U"一頁目。", U"", U"二頁目。"}}}},
        {"in a question (the wheel there moves the arrow only), then the answer taken",
         "問いの前。P\nQどちらにしますか。\nはい\nいいえ\nFFFa選んだのは、はい。Pb選んだのは、いいえ。P\n",
         {{300, Key::Space}, {1200, Key::WheelUp}, {2000, Key::Down}, {2100, Key::Space}, {3000, Key::Space}},
         {{300, Key::Space}, {1200, Key::WheelUp}, {1400, Key::PageUp}, {1800, Key::RightClick},
          {2400, Key::Down}, {2500, Key::Space}, {2900, Key::PageUp}, {3300, Key::Escape}, {3800, Key::Space}},
         800,
         {{1200, 1300}, {1400, 1802}, {2900, 3302}},
         {},
         {{1800, {U"問いの前。", U"", U"どちらにしますか。", U"⇒はい", U"　いいえ"}},
          {3300, {U"問いの前。", U"", U"どちらにしますか。", U"⇒いいえ", U"", U"選んだのは、いいえ。"}}}},
        {"while a row types (Home, and PageDown past the end)",
         "一二三四五六七八九十P\n",
         {{1000, Key::Space}},
         {{40, Key::Home}, {540, Key::PageDown}, {1500, Key::Space}},
         500,
         {{40, 542}},
         {{60, 560}, {100, 600}, {300, 800}},
         {{540, {U"一二三"}}}},
        {"in a pause, which goes on where it stopped",
         "前T500後P\n",
         {{2000, Key::Space}},
         {{200, Key::PageUp}, {700, Key::Escape}, {2500, Key::Space}},
         500,
         {{200, 702}},
         {{300, 800}, {600, 1100}},
         {{700, {U"前"}}}},
        {"in a pause after a Space (which passes no pause)",
         "前T500後P\n",
         {{2000, Key::Space}},
         {{100, Key::Space}, {200, Key::PageUp}, {700, Key::Escape}, {2500, Key::Space}},
         500,
         {{200, 702}},
         {{300, 800}},
         {{600, {U"前"}}}},
        {"at a page wait after an Escape, then after a right click (which closed nothing there)",
         "一頁目。P\nC二頁目。P\n",
         {{300, Key::Space}, {3000, Key::Space}},
         {{300, Key::Space}, {700, Key::Escape}, {1000, Key::PageUp}, {1500, Key::Escape}, {1700, Key::RightClick},
          {2000, Key::WheelUp}, {2500, Key::Escape}, {4000, Key::Space}},
         1000,
         {{1000, 1502}, {2000, 2502}},
         {},
         {{1200, {U"一頁目。", U"", U"二頁目。"}}, {2200, {U"一頁目。", U"", U"二頁目。"}}}},
        {"a reader's note that fades while it is open: never drawn over it, gone once it has closed",
         "一頁目。P\nC二頁目。P\n",
         {{300, Key::Space}, {600, Key::VolumeDown}, {3000, Key::Space}},
         {{300, Key::Space}, {600, Key::VolumeDown}, {700, Key::PageUp}, {2700, Key::Escape}, {5000, Key::Space}},
         2000,
         {},
         {{2800, 4800}},
         {{1900, {U"一頁目。", U"", U"二頁目。"}}, {2400, {U"一頁目。", U"", U"二頁目。"}}}},
        {"closed by the wheel turned down at its end, as PageDown does; a turn down before is not kept",
         "一頁目。P\nC二頁目。P\n",
         {{300, Key::Space}, {1500, Key::Space}},
         {{300, Key::Space}, {800, Key::Down}, {800, Key::WheelDown}, {1000, Key::WheelUp}, {1300, Key::Down},
          {1300, Key::WheelDown}, {1800, Key::Space}},
         300,
         {{1000, 1302}},
         {},
         {{1200, {U"一頁目。", U"", U"二頁目。"}}}},
        {"scrolled a row, a screenful, to the top and back past the end",
         Pages(12),
         SpacesEvery500(11, {{7500, Key::Space}}),
         SpacesEvery500(11, {{6400, Key::PageUp}, {6500, Key::Up}, {6600, Key::PageUp}, {6700, Key::Down},
                             {6800, Key::PageDown}, {6900, Key::PageDown}, {8000, Key::Space}}),
         500,
         {{6400, 6902}},
         {},
         {{6500, {U"", U"第7頁の一行目。"}},
          {6600, {U"第6頁の二行目。", U""}},
          {6700, {U"第1頁の一行目。", U"第1頁の二行目。", U""}},
          {6800, {U"第1頁の二行目。", U""}},
          {6900, {U"", U"第7頁の一行目。"}}}},
    };
    for (const BacklogCase& c : cases) {
        std::vector<int64_t> withShots, withoutShots;
        for (const auto& [first, second] : c.unchanged) withShots.insert(withShots.end(), {first, second});
        for (const auto& [first, second] : c.asWithout) {
            withoutShots.push_back(first);
            withShots.push_back(second);
        }
        for (const View& view : c.views) withShots.push_back(view.at);
        const Played without = Play(c.script, c.without, withoutShots);
        const Played with = Play(c.script, c.with, withShots);

        EXPECT_EQ(with.rows, without.rows) << c.name;
        EXPECT_EQ(with.endedAt, without.endedAt + c.held) << c.name;
        for (const auto& [first, second] : c.unchanged) {
            ASSERT_FALSE(with.shots.at(first).empty()) << c.name << ": no shot at " << first;
            EXPECT_TRUE(with.shots.at(first) == with.shots.at(second)) << c.name << ": " << first << " and " << second;
        }
        for (const auto& [first, second] : c.asWithout) {
            ASSERT_FALSE(without.shots.at(first).empty()) << c.name << ": no shot at " << first;
            EXPECT_TRUE(without.shots.at(first) == with.shots.at(second)) << c.name << ": " << first << " and " << second;
        }
        for (const View& view : c.views)
            EXPECT_TRUE(ShowsRows(with.shots.at(view.at), with.width, view.rows)) << c.name << " at " << view.at;
    }
}

}  // namespace
