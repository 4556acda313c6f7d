// What the picture area shows: the message box, its rows, the border around the area.
#include <gtest/gtest.h>

#include "script/Interpreter.h"
#include "support/Story.h"
#include "window/Crt.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kNavy = 0x000080, kGrey = 0xC0C0C0, kWhite = 0xFFFFFF;

// How many white pixels lie in the band of rows [top, bottom] between x 15 and 295.
int WhiteIn(int top, int bottom, int left = 15, int right = 295) {
    int count = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) count += Crt.PixelAt(x, y) == kWhite;
    return count;
}

TEST(MessageBox, IsNavyWithAGreyOutlineOnBlack) {
    Story story;
    story.Scenario("00", "\n");
    story.Run();
    EXPECT_EQ(Crt.PixelAt(5, 200), kGrey);
    EXPECT_EQ(Crt.PixelAt(295, 270), kGrey);
    EXPECT_EQ(Crt.PixelAt(150, 200), kGrey);
    EXPECT_EQ(Crt.PixelAt(5, 235), kGrey);
    EXPECT_EQ(Crt.PixelAt(6, 201), kNavy);
    EXPECT_EQ(Crt.PixelAt(294, 269), kNavy);
    EXPECT_EQ(Crt.PixelAt(4, 200), kBlack);
    EXPECT_EQ(Crt.PixelAt(296, 270), kBlack);
    EXPECT_EQ(Crt.PixelAt(5, 199), kBlack);
    EXPECT_EQ(Crt.PixelAt(5, 271), kBlack);
    EXPECT_EQ(Crt.PixelAt(150, 100), kBlack);
}

TEST(MessageBox, RowsStandFifteenPixelsApartFrom210) {
    Story story;
    story.Scenario("00", "\n\n\n\n■■■\n");  // only row 4 holds text
    story.Run();
    EXPECT_EQ(WhiteIn(200, 269), 0);
    EXPECT_GT(WhiteIn(270, 285), 0) << "row 4 starts on the box's bottom edge";
    // The glyphs start at x = 15.
    EXPECT_EQ(WhiteIn(270, 285, 0, 14), 0);
    EXPECT_GT(WhiteIn(270, 285, 15, 17), 0);
}

TEST(MessageBox, EachRowLiesInItsBand) {
    for (int row = 0; row < 4; ++row) {
        Story story;
        std::string lines(size_t(row), '\n');
        story.Scenario("00", lines + "■\n" + std::string(size_t(3 - row), '\n'));
        story.Run();
        const int top = 210 + 15 * row;
        EXPECT_GT(WhiteIn(top, top + 11), 0) << row;
        EXPECT_EQ(WhiteIn(201, top - 1), 0) << row;
        EXPECT_EQ(WhiteIn(top + 13, 269), 0) << row;
    }
}

TEST(MessageBox, FullAndHalfWidthCharactersAreTwelveAndSixPixelsWide) {
    Story story;
    EXPECT_EQ(Crt.TextWidth(U"あいう"), 36);
    EXPECT_EQ(Crt.TextWidth(U"abc"), 18);
    EXPECT_EQ(Crt.TextWidth(U""), 0);
}

TEST(MessageBox, RowFourGlyphsBelowTheBoxStayUntilCleared) {
    Story story;
    story.Scenario("00", "\n\n\n\n■■■\n消えない\n");
    story.Run();
    // The sixth line emptied the rows, but what row 4 painted below the box is still there.
    EXPECT_GT(WhiteIn(271, 285), 0);
}

TEST(PictureArea, ClientImageHasASunkenBorderAroundTheArea) {
    Story story;
    EXPECT_EQ(story.platform.windowWidth, 304);
    EXPECT_EQ(story.platform.windowHeight, 304);
    EXPECT_EQ(story.platform.windowCaption, "Velmarin");
    Crt.Refresh();
    auto at = [&](int x, int y) { return Crt.Client().Row(y)[x] & 0xFFFFFF; };
    EXPECT_EQ(at(0, 0), 0x808080u);
    EXPECT_EQ(at(303, 303), 0xFFFFFFu);
    EXPECT_EQ(at(1, 1), 0x000000u);
    EXPECT_EQ(at(302, 302), 0xC0C0C0u);
}

TEST(PictureArea, NewDrawingReachesTheScreenAtTheNextPumpAndSameDrawingIsNotSentAgain) {
    Story story;
    story.Scenario("00", "あい\n");
    const int before = story.platform.imagesShown;
    story.Run();
    // "あ" and "い" each change the picture; the end of the line redraws the same one.
    EXPECT_EQ(story.platform.imagesShown - before, 2);
    Crt.LineFill(0, 0, 0, 0, kLightGrey);
    Crt.ShowIfChanged();
    EXPECT_EQ(story.platform.imagesShown - before, 3);
}

}  // namespace
