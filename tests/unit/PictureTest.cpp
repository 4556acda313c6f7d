// "L": bitmaps under the message box, at the top-left and unscaled, and the errors of bad files.
#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "script/Interpreter.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "window/Crt.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF,
                   kYellow = 0xFFFF00;

// A picture in four quadrants: red top-left, green top-right, blue bottom-left, yellow
// bottom-right, saved as an 8-bit (palette) or a 24-bit bitmap below the story folder.
void WritePicture(Story& story, const std::string& relativePath, int width, int height, int bits) {
    const std::string path = (story.folder / relativePath).string();
    story.Write(relativePath, "");
    const uint32_t colours[4] = {kRed, kGreen, kBlue, kYellow};
    auto quadrant = [&](int x, int y) { return (x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0); };
    SDL_Surface* surface = nullptr;
    if (bits == 8) {
        surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 8, SDL_PIXELFORMAT_INDEX8);
        SDL_Color palette[4];
        for (int i = 0; i < 4; ++i)
            palette[i] = SDL_Color{Uint8(colours[i] >> 16), Uint8(colours[i] >> 8), Uint8(colours[i]), 255};
        SDL_SetPaletteColors(surface->format->palette, palette, 0, 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                static_cast<Uint8*>(surface->pixels)[y * surface->pitch + x] = Uint8(quadrant(x, y));
    } else {
        surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                reinterpret_cast<uint32_t*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch)[x] =
                    colours[quadrant(x, y)];
    }
    ASSERT_EQ(SDL_SaveBMP(surface, path.c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(surface);
    SDL_Surface* check = SDL_LoadBMP(path.c_str());
    ASSERT_NE(check, nullptr);
    ASSERT_EQ(check->format->BitsPerPixel, bits);
    SDL_FreeSurface(check);
}

TEST(Picture, ShownAtTheTopLeftUnscaledAndTheRestStaysBlack) {
    for (int bits : {8, 24}) {
        SCOPED_TRACE(bits);
        Story story;
        WritePicture(story, "picture/PIC01.BMP", 100, 50, bits);  // names as Windows matches them
        story.Scenario("00", "L01あ\n");
        ASSERT_EQ(story.Run(), "");
        EXPECT_EQ(CrtPixelAt(0, 0), kRed);
        EXPECT_EQ(CrtPixelAt(99, 0), kGreen);
        EXPECT_EQ(CrtPixelAt(0, 49), kBlue);
        EXPECT_EQ(CrtPixelAt(99, 49), kYellow);
        EXPECT_EQ(CrtPixelAt(100, 0), kBlack);
        EXPECT_EQ(CrtPixelAt(0, 50), kBlack);
        EXPECT_EQ(CrtPixelAt(299, 299), kBlack);
        EXPECT_EQ(Utf8(CurrentRun().TextLine[0]), "あ") << "the name is not typed";
    }
}

TEST(Picture, LargerOneIsCutOffAtTheEdgesAndLiesUnderTheMessageBox) {
    Story story;
    WritePicture(story, "Picture/Pic01.bmp", 400, 400, 8);
    story.Scenario("00", "L01\n");
    ASSERT_EQ(story.Run(), "");
    EXPECT_EQ(CrtPixelAt(199, 199), kRed);
    EXPECT_EQ(CrtPixelAt(200, 0), kGreen);
    EXPECT_EQ(CrtPixelAt(299, 0), kGreen);
    EXPECT_EQ(CrtPixelAt(0, 299), kBlue);
    EXPECT_EQ(CrtPixelAt(299, 299), kYellow);
    EXPECT_EQ(CrtPixelAt(150, 250), 0x000080u) << "the box is drawn over the picture";
}

TEST(Picture, ReplacementLeavesNothingOfTheFirst) {
    Story story;
    WritePicture(story, "Picture/Pic01.bmp", 300, 300, 24);
    WritePicture(story, "Picture/Pic02.bmp", 20, 20, 8);
    story.Scenario("00", "L01L02\n");
    ASSERT_EQ(story.Run(), "");
    EXPECT_EQ(CrtPixelAt(0, 0), kRed);
    EXPECT_EQ(CrtPixelAt(19, 19), kYellow);
    for (auto [x, y] : {std::pair{20, 0}, {0, 20}, {150, 100}, {299, 0}, {0, 299}, {299, 299}})
        EXPECT_EQ(CrtPixelAt(x, y), kBlack) << x << "," << y;
}

TEST(Picture, ClearingKeepsThePicture) {
    Story story;
    WritePicture(story, "Picture/Pic01.bmp", 300, 300, 24);
    story.Scenario("00", "L01\n");
    ASSERT_EQ(story.Run(), "");
    Crt.Cls();
    EXPECT_EQ(CrtPixelAt(150, 250), kYellow) << "the message box is gone";
    EXPECT_EQ(CrtPixelAt(10, 10), kRed);
    EXPECT_EQ(CrtPixelAt(290, 10), kGreen);
}

TEST(Picture, MissingFileStopsTheProgramNamingIt) {
    Story story;
    story.Scenario("00", "前L09\n");
    EXPECT_EQ(story.Run(), "File not found: " + story.folder.string() + "/Picture/Pic09.bmp\n"
                           "Scenario Data00.Dat, line 1: 前L09");
}

TEST(Picture, FileThatIsNotABitmapStopsTheProgramNamingIt) {
    Story story;
    story.Write("Picture/Pic01.bmp", "GIF89a this is no bitmap at all");
    story.Scenario("00", "L01\n");
    const std::string error = story.Run();
    EXPECT_EQ(error.rfind("Invalid picture: " + story.folder.string() + "/Picture/Pic01.bmp (", 0), 0u)
        << error;
}

// The window is sent only the rectangle that changed; whatever a story draws, what the window
// shows at the end is the whole image.
TEST(PictureArea, TheChangedRectangleKeepsTheWindowWhole) {
    struct Case {
        const char* what;
        const char* script;
        std::vector<std::pair<int64_t, Key>> keys;
    };
    const Case cases[] = {
        {"rows, row 4 below the box, text past the edge, a sixth line",
         "一行目\n二行目\n三行目\n四行目\n五行目の文章はとても長くて箱の右の端を越えて続いていく\n六行目C消えたP\n",
         {{3000, Key::Space}}},
        {"a page wait's blinking cursor, then the next page", "待ちますP次へP\n", {{900, Key::Space}, {1800, Key::Space}}},
        {"a cursor on row 4, left below the box", "\n\n\n\n最後の行P続きP\n", {{900, Key::Space}, {1500, Key::Space}}},
        {"pictures, one after the other and under a page", "L01一枚目L02二枚目P\nL01戻るP\n", {{900, Key::Space}, {1500, Key::Space}}},
        {"a question, the arrow moved", "Q問い\nはい\nいいえ\n答えたP\n", {{800, Key::Down}, {1200, Key::Space}, {2000, Key::Space}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Story story;
        WritePicture(story, "Picture/Pic01.bmp", 300, 300, 24);
        WritePicture(story, "Picture/Pic02.bmp", 120, 80, 8);
        story.Scenario("00", c.script);
        for (const auto& [at, key] : c.keys) story.platform.PressKey(at, key);
        EXPECT_EQ(story.Run(), "");
        int stale = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x) stale += story.platform.ScreenAt(x + 2, y + 2) != CrtPixelAt(x, y);
        EXPECT_EQ(stale, 0) << "pixels the window was never sent";
    }
}

}  // namespace
