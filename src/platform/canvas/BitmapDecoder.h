#pragma once
// Windows bitmaps decoded in plain C++, for a machine without a bitmap reader of its own: every
// variant the Linux build reads (1, 4, 8, 16, 24 and 32 bits a pixel, run-length 8 and 4, bit
// fields, rows from the top, the old OS/2 header), in the same colours.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct DecodedBitmap {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, rows from the top
};

// False, with why, when the bytes are not a bitmap this decoder reads.
bool DecodeBitmapBytes(std::string_view bytes, DecodedBitmap& out, std::string& why);
