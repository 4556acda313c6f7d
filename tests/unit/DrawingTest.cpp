// What the picture area shows: the message box, its rows, the border around the area.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "script/Interpreter.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "window/Crt.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kNavy = 0x000080, kGrey = 0xC0C0C0, kWhite = 0xFFFFFF;

// How many white pixels lie in the band of rows [top, bottom] between x 15 and 295.
int WhiteIn(int top, int bottom, int left = 15, int right = 295) {
    int count = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) count += CrtPixelAt(x, y) == kWhite;
    return count;
}

TEST(MessageBox, IsNavyWithAGreyOutlineOnBlack) {
    Story story;
    story.Scenario("00", "\n");
    story.Run();
    EXPECT_EQ(CrtPixelAt(5, 200), kGrey);
    EXPECT_EQ(CrtPixelAt(295, 270), kGrey);
    EXPECT_EQ(CrtPixelAt(150, 200), kGrey);
    EXPECT_EQ(CrtPixelAt(5, 235), kGrey);
    EXPECT_EQ(CrtPixelAt(6, 201), kNavy);
    EXPECT_EQ(CrtPixelAt(294, 269), kNavy);
    EXPECT_EQ(CrtPixelAt(4, 200), kBlack);
    EXPECT_EQ(CrtPixelAt(296, 270), kBlack);
    EXPECT_EQ(CrtPixelAt(5, 199), kBlack);
    EXPECT_EQ(CrtPixelAt(5, 271), kBlack);
    EXPECT_EQ(CrtPixelAt(150, 100), kBlack);
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
    auto at = [&](int x, int y) { return CrtClient().Row(y)[x] & 0xFFFFFF; };
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

TEST(PictureArea, RepaintingWhatChangedGivesWhatPaintingEverythingGives) {
    // Frames of drawing as the story makes them: the box and its rows again and again, now and
    // then a mark, a changed row, a fill, an outline or a clearing. After each frame the area must
    // hold what painting every frame so far, in full, into a new area gives.
    Story story;
    using Draw = std::function<void(PictureArea&)>;
    const auto text = [](int x, int y, std::u32string row) {
        return Draw([=](PictureArea& area) {
            area.CurrentX = x;
            area.CurrentY = y;
            area.Print(row);
        });
    };
    const std::vector<Draw> extras = {
        text(50, 210, U"▲"), text(62, 225, U"▲"), text(15, 240, U"変わった行"), text(290, 255, U"端を越える"),
        text(15, 270, U"箱の下へ"), [](PictureArea& area) { area.LineFill(100, 50, 180, 220, kLightGrey); },
        [](PictureArea& area) { area.LineOutline(0, 0, 299, 299, kDarkBlue); },
        [](PictureArea& area) { area.Cls(); },
    };
    const auto box = [&](PictureArea& area) {
        area.LineFill(5, 200, 295, 270, kDarkBlue);
        area.LineOutline(5, 200, 295, 270, kLightGrey);
        text(15, 210, U"一行目の文")(area);
        text(15, 225, U"二行目")(area);
    };
    std::mt19937 random(2024);
    std::vector<std::vector<Draw>> frames;
    for (int frame = 0; frame < 40; ++frame) {
        std::vector<Draw> drawing = {box};
        if (random() % 3 != 0) drawing.push_back(extras[random() % extras.size()]);
        if (random() % 4 == 0) drawing.insert(drawing.begin(), extras[random() % extras.size()]);
        if (random() % 3 == 0 && !frames.empty()) drawing = frames.back();
        frames.push_back(drawing);
        for (const Draw& draw : drawing) draw(Crt);
        Crt.Refresh();

        PictureArea whole;
        whole.Open(300, 300);
        for (const auto& done : frames)
            for (const Draw& draw : done) draw(whole);
        int differing = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x) differing += CrtPixelAt(x, y) != PictureAreaProbe::PixelAt(whole, x, y);
        ASSERT_EQ(differing, 0) << "frame " << frame;
    }
}

}  // namespace
