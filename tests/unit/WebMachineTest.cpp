// The browser machine's drawing, checked here against the Linux machine's on the same input:
// its text (FreeType placed by our own code) must give the pixels SDL_ttf gives, and its bitmap
// decoder the pixels SDL's reader gives, for every variant the Linux build reads.
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sdl/Font.h"
#include "platform/canvas/BitmapDecoder.h"
#include "platform/canvas/MonoText.h"
#include "system/Image.h"
#include "system/TextCodec.h"

namespace {

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

TEST(WebMachine, TextHasTheLinuxRenderersPixels) {
    ASSERT_EQ("", OpenMonoFace("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"));
    const char* const texts[] = {
        "あいうえお、かきくけこ。漢字と「かぎかっこ」…―～！？", "ＡＢＣ１２３　ｱｲｳｴｵ half-width: hallo, world! (gjpqy)",
        "①②③ ㈱ ♪★◆ §¶ 〒〆々〇", "▲", "OK", "ゲームオーバー！", "éàü ÄÖ ½ ÿ 𠮷", " ", "i",
    };
    for (const int size : {12, 18, 24, 36}) {
        TTF_Font* font = JapaneseFontOfSize(size);
        for (const char* text : texts) {
            SCOPED_TRACE(std::to_string(size) + " px: " + text);
            const std::u32string chars = FromUtf8(text);
            int w = 0, h = 0;
            ASSERT_EQ(0, TTF_SizeUTF8(font, text, &w, &h));
            EXPECT_EQ(w, MonoTextWidth(chars, size));
            EXPECT_EQ(TTF_FontHeight(font), MonoLineHeight(size));
            SDL_Surface* solid = TTF_RenderUTF8_Solid(font, text, SDL_Color{255, 255, 255, 255});
            if (solid == nullptr) continue;  // nothing to draw (a lone space)
            // Printed at an offset inside a larger image, clipped to all of it.
            auto image = NewImage(solid->w + 10, solid->h + 10);
            PrintMono(*image, 5, 5, chars, ImageRect{0, 0, image->Width(), image->Height()}, size, 0xFFFFFF);
            int differing = 0;
            for (int y = 0; y < image->Height(); ++y)
                for (int x = 0; x < image->Width(); ++x) {
                    const int sx = x - 5, sy = y - 5;
                    const bool ink = sx >= 0 && sy >= 0 && sx < solid->w && sy < solid->h &&
                                     static_cast<const uint8_t*>(solid->pixels)[sy * solid->pitch + sx] != 0;
                    differing += ink != (image->Row(y)[x] != 0);
                }
            EXPECT_EQ(0, differing);
            SDL_FreeSurface(solid);
        }
    }
}

TEST(WebMachine, TextStaysInsideItsClip) {
    ASSERT_EQ("", OpenMonoFace("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"));
    auto image = NewImage(60, 20);
    PrintMono(*image, -3, 2, U"漢字漢字漢字", ImageRect{10, 0, 20, 10}, 12, 0xFFFFFF);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (image->Row(y)[x] != 0) {
                EXPECT_TRUE(x >= 10 && x < 30 && y < 10) << x << "," << y;
            }
}

TEST(WebMachine, BitmapsHaveTheLinuxReadersPixels) {
    const auto folder = std::filesystem::temp_directory_path() / ("tessaro-web-bitmaps-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string command = std::string("python3 ") + TESSARO_SOURCE_DIR + "/tests/windows/lib/bitmaps.py " +
                                folder.string() + " >/dev/null";
    ASSERT_EQ(0, std::system(command.c_str()));
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path());
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TESSARO_SOURCE_DIR) + "/story/Picture"))
        files.push_back(entry.path());
    ASSERT_GE(files.size(), 12u + 6u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        const std::string bytes = Slurp(file);
        std::string why;
        const std::unique_ptr<Image> linux = DecodeBitmap(bytes, why);
        ASSERT_NE(nullptr, linux) << why;
        DecodedBitmap web;
        ASSERT_TRUE(DecodeBitmapBytes(bytes, web, why)) << why;
        ASSERT_EQ(linux->Width(), web.width);
        ASSERT_EQ(linux->Height(), web.height);
        int differing = 0;
        for (int y = 0; y < web.height; ++y)
            for (int x = 0; x < web.width; ++x)
                differing += (linux->Row(y)[x] & 0xFFFFFF) != web.pixels[size_t(y) * size_t(web.width) + size_t(x)];
        EXPECT_EQ(0, differing);
    }
    std::filesystem::remove_all(folder);
}

TEST(WebMachine, BitmapDecoderRefusesWhatIsNoBitmap) {
    DecodedBitmap out;
    std::string why;
    for (const std::string& bytes : {std::string(""), std::string("BM"), std::string("GIF89a"),
                                    std::string("BM") + std::string(12, '\0') + std::string("\x28\0\0\0", 4)}) {
        EXPECT_FALSE(DecodeBitmapBytes(bytes, out, why));
        EXPECT_FALSE(why.empty());
    }
}

}  // namespace
