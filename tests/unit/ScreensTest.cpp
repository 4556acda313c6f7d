// What players of today's screens added: the skip key, the mouse in a question, the command line
// that sets the window's scale, and the scaling itself. Run by the real interpreter against the
// virtual clock, scripted keys, a scripted Ctrl and a scripted pointer.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "script/Interpreter.h"
#include "script/Steering.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "system/Errors.h"
#include "platform/sdl/SdlScaling.h"
#include "app/Options.h"

namespace {

constexpr int64_t kGiveUp = 20000;

struct Played {
    std::string rows;  // rows 0 to 4 joined by "|", empty ones at the end left off
    int64_t endedAt = -1;
    bool firstAnswer = false;
};

struct Pointer {
    int64_t at;
    int x, y;  // in the client image, border included
    bool tap = false;  // a touch screen's tap there, not a move of the mouse
};

Played Play(const std::string& data00, std::optional<std::pair<int64_t, int64_t>> skip,
         int64_t spaceAt = -1, std::vector<Pointer> pointer = {}, int64_t upAt = -1) {
    std::fill(std::begin(Flag), std::end(Flag), kFalse);
    Story story;
    story.Scenario("00", data00);
    if (skip) story.platform.HoldSkip(skip->first, skip->second);
    if (spaceAt >= 0) story.platform.PressKey(spaceAt, Key::Space);
    if (upAt >= 0) story.platform.PressKey(upAt, Key::Up);
    for (const Pointer& p : pointer) {
        if (p.tap) story.platform.Tap(p.at, p.x, p.y);
        else story.platform.MovePointer(p.at, p.x, p.y);
    }
    story.platform.CloseWindowAt(kGiveUp);
    Played run;
    try {
        const std::string error = story.Run();
        EXPECT_EQ(error, "");
    } catch (const ProgramEnd&) {
        run.rows = "still running";
        return run;
    }
    run.endedAt = story.platform.now;
    for (int i = 0; i < kRows; ++i) {
        if (i > 0) run.rows += '|';
        run.rows += Utf8(CurrentRun().TextLine[i]);
    }
    run.rows = run.rows.substr(0, run.rows.find_last_not_of('|') + 1);
    run.firstAnswer = Flag[255] != kFalse;
    return run;
}

const std::string kPageAndPause = "一二三P\n四五六T900七e\n";
const std::string kQuestionThenText = "Q問\n甲\n乙\n一二三四五e\n";

TEST(Skip, PassesTextPagesAndPausesButNotQuestions) {
    const Played skipped = Play(kPageAndPause, std::pair{0, kGiveUp});
    EXPECT_EQ(skipped.rows, "一二三|四五六七");
    EXPECT_EQ(skipped.endedAt, 0) << "no per-character pause, no page wait, no pause";
    const Played normal = Play(kPageAndPause, std::nullopt, 1000);
    EXPECT_GT(normal.endedAt, 1000 + 900) << "without Ctrl the page waits for Space and T pauses";

    // A question waits for its answer even with Ctrl held; the text after it then runs at once.
    const Played asked = Play(kQuestionThenText, std::pair{0, kGiveUp}, 2000);
    EXPECT_EQ(asked.rows, "一二三四五");
    EXPECT_GE(asked.endedAt, 2000);
    EXPECT_LT(asked.endedAt, 2000 + 100 + 16) << "one question pass at most, then no pauses";
    EXPECT_TRUE(asked.firstAnswer);

    // Let go before the answer: the text after it keeps the normal pace, to the millisecond.
    const Played released = Play(kQuestionThenText, std::pair{0, 1000}, 2000);
    const Played never = Play(kQuestionThenText, std::nullopt, 2000);
    EXPECT_EQ(released.endedAt, never.endedAt);
    EXPECT_GT(never.endedAt, asked.endedAt + 5 * 15);
}

TEST(Mouse, PointerOverAnAnswerMovesTheArrow) {
    // The client image has a 2-pixel border; the answers' rows are at y = 225 and 240 of the area.
    const int secondRow = 2 + 246, firstRow = 2 + 231, inside = 2 + 100;
    struct Case {
        const char* what;
        std::vector<Pointer> pointer;
        int64_t upAt;
        bool firstAnswer;
    } cases[] = {
        {"pointer on the second answer", {{700, inside, secondRow}}, -1, false},
        {"on the second, then back on the first", {{700, inside, secondRow}, {800, inside, firstRow}}, -1, true},
        {"on the second, then Up", {{700, inside, secondRow}}, 800, true},
        {"a click on the second answer", {{1000, inside, secondRow}}, -1, false},
        {"beside the box", {{700, 2 + 297, secondRow}}, -1, true},
        {"moved before the question was shown", {{100, inside, secondRow}}, -1, true},
        {"on the question's own row", {{700, inside, 2 + 212}}, -1, true},
    };
    for (const Case& c : cases) {
        const Played run = Play(kQuestionThenText, std::nullopt, 1000, c.pointer, c.upAt);
        EXPECT_EQ(run.firstAnswer, c.firstAnswer) << c.what;
        EXPECT_EQ(run.rows, "一二三四五") << c.what;
    }
}

// A tap on an answer moves the arrow to it, and a tap on the answer the arrow marks chooses it: a
// finger that lands a little off never chooses at once. At a page wait, a tap on the picture turns
// the page. Taps made while text types, or before the question shows, count for nothing.
TEST(Touch, ATapChoosesOnlyTheMarkedAnswer) {
    const int firstRow = 2 + 231, secondRow = 2 + 246, inside = 2 + 100;
    constexpr const char* kWaiting = "still running";
    struct Case {
        const char* what;
        std::vector<Pointer> taps;
        int64_t spaceAt;
        const char* rows;
        bool firstAnswer;
    } cases[] = {
        {"the second answer: the arrow moves, nothing is chosen", {{700, inside, secondRow, true}}, -1, kWaiting, false},
        {"the second answer twice: chosen", {{700, inside, secondRow, true}, {900, inside, secondRow, true}}, -1,
         "一二三四五", false},
        {"the first answer, which the arrow marks: chosen", {{700, inside, firstRow, true}}, -1, "一二三四五", true},
        {"the second, then Space: the second", {{700, inside, secondRow, true}}, 1000, "一二三四五", false},
        {"2 px below the second answer", {{700, inside, 2 + 255 + 2, true}}, -1, kWaiting, false},
        {"1 px above the first answer (the question's row)", {{700, inside, 2 + 224, true}}, -1, kWaiting, false},
        {"beside the second answer, past the box", {{700, 2 + 297, secondRow, true}}, -1, kWaiting, false},
        {"beside the first answer, left of the box", {{700, 2 + 3, firstRow, true}}, -1, kWaiting, false},
        {"on the picture", {{700, inside, inside, true}}, -1, kWaiting, false},
        {"the second, then a near miss below it, then Space: still the second",
         {{700, inside, secondRow, true}, {800, inside, 2 + 258, true}}, 1000, "一二三四五", false},
        {"on the first answer before the question shows", {{100, inside, firstRow, true}}, -1, kWaiting, false},
    };
    for (const Case& c : cases) {
        const Played run = Play(kQuestionThenText, std::nullopt, c.spaceAt, c.taps);
        EXPECT_EQ(run.rows, c.rows) << c.what;
        if (run.rows != kWaiting) {
            EXPECT_EQ(run.firstAnswer, c.firstAnswer) << c.what;
        }
    }

    const Played turned = Play(kPageAndPause, std::nullopt, -1, {{1000, inside, inside, true}});
    EXPECT_EQ(turned.rows, "一二三|四五六七") << "a tap on the picture turns the page";
    EXPECT_GT(turned.endedAt, 1000 + 900);
    EXPECT_EQ(Play(kPageAndPause, std::nullopt, -1, {{10, inside, inside, true}}).rows, kWaiting)
        << "a tap while the text types is forgotten, as Space is";
}

TEST(CommandLine, ReadsTheScaleAndFullscreen) {
    using Action = CommandLine::Action;
    struct Case {
        std::vector<const char*> arguments;
        Action action;
        int scale;
        bool autoScale, fullscreen;
        const char* folder;
    } cases[] = {
        {{}, Action::Play, 1, false, false, ""},
        {{"story"}, Action::Play, 1, false, false, "story"},
        {{"--scale", "3", "story"}, Action::Play, 3, false, false, "story"},
        {{"story", "--scale=8"}, Action::Play, 8, false, false, "story"},
        {{"--scale", "auto", "--fullscreen"}, Action::Play, 1, true, true, ""},
        {{"--fullscreen", "--help"}, Action::Help, 1, false, true, ""},
        {{"--scale", "0"}, Action::Misuse, 1, false, false, ""},
        {{"--scale", "9"}, Action::Misuse, 1, false, false, ""},
        {{"--scale", "2x"}, Action::Misuse, 1, false, false, ""},
        {{"--scale"}, Action::Misuse, 1, false, false, ""},
        {{"--scales", "2"}, Action::Misuse, 1, false, false, ""},
        {{"one", "two"}, Action::Misuse, 1, false, false, ""},
        {{"--", "-story"}, Action::Play, 1, false, false, "-story"},
        {{"--scale", "2", "--", "--help"}, Action::Play, 2, false, false, "--help"},
        {{"--", "one", "two"}, Action::Misuse, 1, false, false, ""},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv{const_cast<char*>("tessaro")};
        std::string shown = "tessaro";
        for (const char* a : c.arguments) {
            argv.push_back(const_cast<char*>(a));
            shown += std::string(" ") + a;
        }
        const CommandLine line = ReadCommandLine(int(argv.size()), argv.data());
        EXPECT_EQ(line.action, c.action) << shown;
        if (c.action == Action::Misuse) {
            EXPECT_FALSE(line.problem.empty()) << shown;
            continue;
        }
        EXPECT_EQ(line.screen.scale, c.scale) << shown;
        EXPECT_EQ(line.screen.autoScale, c.autoScale) << shown;
        EXPECT_EQ(line.screen.fullscreen, c.fullscreen) << shown;
        EXPECT_EQ(line.storyFolder, c.folder) << shown;
    }
}

TEST(Scaling, LargestScaleThatFits) {
    EXPECT_EQ(LargestScaleThatFits(304, 304, 3840 * 85 / 100, 2160 * 85 / 100, kLargestScale), 6);
    EXPECT_EQ(LargestScaleThatFits(304, 304, 3840, 2160, 3840), 7) << "fullscreen on a 4K screen";
    EXPECT_EQ(LargestScaleThatFits(304, 304, 800, 600, 3), 1);
    EXPECT_EQ(LargestScaleThatFits(304, 304, 200, 200, 8), 1) << "never below 1";
    EXPECT_EQ(LargestScaleThatFits(304, 304, 9000, 9000, 8), 8);
}

TEST(Scaling, PixelsBecomeWholeBlocksCutAtTheEdge) {
    // A 2 x 2 image at 3x, placed at (1, 1) on a 6 x 6 target: the last row and column fall off.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormat(0, 2, 2, 32, SDL_PIXELFORMAT_XRGB8888);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 6, 6, 32, SDL_PIXELFORMAT_XRGB8888);
    auto at = [](SDL_Surface* s, int x, int y) -> uint32_t& {
        return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x];
    };
    for (int i = 0; i < 4; ++i) at(source, i % 2, i / 2) = uint32_t(0x111111 * (i + 1));
    SDL_FillRect(target, nullptr, 0xABCDEF);
    const SDL_Rect painted = PutScaled(source, SDL_Rect{0, 0, 2, 2}, target, Placement{1, 1, 3});
    EXPECT_EQ(painted.w, 5);
    EXPECT_EQ(painted.h, 5);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(at(target, x, y), x && y ? at(source, (x - 1) / 3, (y - 1) / 3) : 0xABCDEFu) << x << "," << y;
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}

}  // namespace
