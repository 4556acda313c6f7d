// The message box's layout, worked out with a stand-in font: every byte of ASCII 6 pixels wide,
// every other character 12, as the story's font draws them at scale 1.
#include <gtest/gtest.h>

#include "system/MessageBoxLayout.h"

namespace {

int FakeWidth(const std::string& s) {
    int w = 0;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        w += c < 0x80 ? 6 : 12;
    }
    return w;
}

TEST(MessageBoxLayout, WrapsAtNewlinesThenAtTheLastSpaceOrSlashThatFits) {
    const struct {
        std::string text;
        int maxWidth;
        std::vector<std::string> lines;
    } cases[] = {
        {"ゲームオーバー！", 460, {"ゲームオーバー！"}},
        {"one\ntwo\n", 460, {"one", "two", ""}},
        {"aaa bbb ccc", 48, {"aaa bbb", "ccc"}},
        {"/tmp/story/Picture/Pic02.bmp", 90, {"/tmp/story/", "Picture/", "Pic02.bmp"}},
        {"abcdefghij", 24, {"abcd", "efgh", "ij"}},
        {"あいうえお", 30, {"あい", "うえ", "お"}},
        {"あ", 5, {"あ"}},  // a character wider than the box still shows
    };
    for (const auto& c : cases) EXPECT_EQ(WrapText(c.text, c.maxWidth, FakeWidth), c.lines) << c.text;
}

TEST(MessageBoxLayout, GrowsWithItsTextAndScalesAsAWhole) {
    const MessageBoxLayout one = LayOutMessageBox("ゲームオーバー！", 1, FakeWidth);
    EXPECT_EQ(one.width, 192) << "the narrowest box";
    EXPECT_EQ(one.height, 84);
    EXPECT_EQ(one.button.x, (one.width - one.button.w) / 2) << "OK is centred";
    const MessageBoxLayout two = LayOutMessageBox("ゲームオーバー！", 2, [](const std::string& s) {
        return 2 * FakeWidth(s);
    });
    EXPECT_EQ(two.width, 2 * one.width);
    EXPECT_EQ(two.height, 2 * one.height);
    EXPECT_EQ(two.fontPixels, 2 * one.fontPixels);
    EXPECT_EQ(two.button.y, 2 * one.button.y);

    const MessageBoxLayout error = LayOutMessageBox(std::string(100, 'x') + "\nline two", 1, FakeWidth);
    ASSERT_EQ(error.lines.size(), 3u) << "600 pixels of text wrap once, then the second line";
    EXPECT_EQ(error.width, 76 * 6 + 32) << "as wide as its widest line";
    EXPECT_EQ(error.button.y, error.textTop + 3 * error.lineHeight + 16) << "OK below the last line";
}

TEST(MessageBoxLayout, CentresOverItsOwnerAndStaysOnTheScreen) {
    const BoxRect screen{0, 0, 800, 600};
    const struct {
        BoxRect owner;
        int x, y;
    } cases[] = {
        {{248, 148, 304, 304}, 304, 258},  // the story's window in the middle
        {screen, 304, 258},                // no window: the screen itself
        {{-200, -200, 304, 304}, 0, 0},    // a window half off the screen
        {{700, 500, 304, 304}, 608, 516},
    };
    for (const auto& c : cases) {
        const BoxRect placed = CentreOver(c.owner, 192, 84, screen);
        EXPECT_EQ(placed.x, c.x) << c.owner.x;
        EXPECT_EQ(placed.y, c.y) << c.owner.y;
    }
}

}  // namespace
