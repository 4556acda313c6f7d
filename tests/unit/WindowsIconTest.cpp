// The program file's icon on Windows (src/platform/win32/tessaro.ico) is the window's own icon:
// the same 32 x 32, 256-colour picture. Run with TESSARO_WRITE_ICON=1 to write it anew after the
// icon's drawing changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "window/Icon.h"

namespace {

void Put16(std::string& out, unsigned value) { out += char(value & 0xFF), out += char(value >> 8 & 0xFF); }
void Put32(std::string& out, uint32_t value) { Put16(out, value & 0xFFFF), Put16(out, value >> 16); }

// An icon file with one 32 x 32 picture of 8 bits a pixel: the colours, the rows from the bottom,
// and an all-opaque mask.
std::string IconFile(const Image& icon) {
    std::vector<uint32_t> palette;
    std::string pixels;
    for (int y = icon.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < icon.Width(); ++x) {
            const uint32_t rgb = icon.Row(y)[x] & 0xFFFFFF;
            size_t index = 0;
            while (index < palette.size() && palette[index] != rgb) ++index;
            if (index == palette.size()) palette.push_back(rgb);
            pixels += char(index);
        }
    }
    palette.resize(256, 0);
    std::string image;
    Put32(image, 40), Put32(image, 32), Put32(image, 64);  // the height counts the mask too
    Put16(image, 1), Put16(image, 8);
    for (int i = 0; i < 6; ++i) Put32(image, 0);
    for (uint32_t rgb : palette) Put32(image, rgb);  // blue, green, red, unused
    image += pixels;
    image += std::string(32 * 4, '\0');
    std::string file;
    Put16(file, 0), Put16(file, 1), Put16(file, 1);
    file += char(32), file += char(32), file += char(0), file += char(0);
    Put16(file, 1), Put16(file, 8), Put32(file, uint32_t(image.size())), Put32(file, 22);
    return file + image;
}

TEST(WindowsIcon, ProgramFileIconIsTheWindowIcon) {
    const std::string path = TESSARO_SOURCE_DIR "/src/platform/win32/tessaro.ico";
    const std::string expected = IconFile(*WindowIcon());
    if (std::getenv("TESSARO_WRITE_ICON") != nullptr) std::ofstream(path, std::ios::binary) << expected;
    std::stringstream committed;
    committed << std::ifstream(path, std::ios::binary).rdbuf();
    EXPECT_TRUE(committed.str() == expected) << path << " differs from the window's icon";
}

}  // namespace
