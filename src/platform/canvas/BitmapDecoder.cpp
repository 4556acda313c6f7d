#include "platform/canvas/BitmapDecoder.h"

#include <algorithm>

#include "system/StoryFiles.h"

namespace {

uint32_t Little(std::string_view b, size_t at, int count) {
    uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = v << 8 | (at + size_t(i) < b.size() ? uint8_t(b[at + size_t(i)]) : 0u);
    return v;
}

// A channel of `mask` widened to eight bits, its top bits repeated below as the desktop's
// converter does (31 of 5 bits is 255).
uint32_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0, bits = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1) != 0) ++bits;
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    // Six-bit green (5-6-5) comes out of the desktop's converter a shade darker than repeating
    // the bits gives: its own table.
    static constexpr uint8_t kSixBits[64] = {
        0,   4,   8,   12,  16,  20,  24,  28,  32,  36,  40,  44,  48,  52,  56,  60,
        64,  68,  72,  76,  80,  84,  88,  92,  97,  101, 105, 109, 113, 117, 121, 125,
        129, 133, 137, 141, 145, 149, 153, 157, 161, 165, 169, 173, 177, 181, 185, 189,
        194, 198, 202, 206, 210, 214, 218, 222, 226, 230, 234, 238, 242, 246, 250, 254};
    if (bits == 6) return kSixBits[v];
    uint32_t wide = 0;
    for (int filled = 0; filled < 8; filled += bits) wide = wide << bits | v;
    int total = ((8 + bits - 1) / bits) * bits;
    return (wide >> (total - 8)) & 0xFF;
}

}  // namespace

bool DecodeBitmapBytes(std::string_view b, DecodedBitmap& out, std::string& why) {
    if (!IsBitmapFile(b)) {
        why = "File is not a Windows BMP file";
        return false;
    }
    const uint32_t dataOffset = Little(b, 10, 4);
    const uint32_t infoSize = Little(b, 14, 4);
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0, colours = 0;
    bool topDown = false;
    size_t paletteAt = 14 + infoSize;
    int paletteEntry = 4;
    uint32_t masks[3] = {0, 0, 0};
    if (infoSize == 12) {
        width = Little(b, 18, 2);
        height = Little(b, 20, 2);
        bits = Little(b, 24, 2);
        paletteEntry = 3;
    } else if (infoSize >= 40) {
        width = int32_t(Little(b, 18, 4));
        height = int32_t(Little(b, 22, 4));
        bits = Little(b, 28, 2);
        compression = Little(b, 30, 4);
        colours = Little(b, 46, 4);
        if (height < 0) topDown = true, height = -height;
        if (compression == 3) {
            // Bit fields: in the header when it is long enough, else just after it.
            const size_t at = infoSize >= 52 ? 54 : 14 + infoSize;
            for (int i = 0; i < 3; ++i) masks[i] = Little(b, at + size_t(i) * 4, 4);
            if (infoSize < 52) paletteAt += 12;
        }
    } else {
        why = "Unknown BMP header size";
        return false;
    }
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        why = "BMP has no usable size";
        return false;
    }
    if (compression == 3 && bits != 16 && bits != 32) {
        why = "Bit fields in a bitmap that is neither 16 nor 32 bits";
        return false;
    }
    if (compression != 0 && compression != 3 && !(compression == 1 && bits == 8) && !(compression == 2 && bits == 4)) {
        why = "Compressed BMP files not supported";
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        why = "Unsupported BMP bit depth";
        return false;
    }
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        const uint32_t count = colours == 0 || colours > (1u << bits) ? (1u << bits) : colours;
        for (uint32_t i = 0; i < count; ++i) {
            const size_t at = paletteAt + size_t(i) * size_t(paletteEntry);
            palette.push_back(Little(b, at, 3) & 0xFFFFFF);
        }
    }
    if (compression == 0 && bits == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    if (compression == 0 && bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    const int w = int(width), h = int(height);
    out.width = w;
    out.height = h;
    out.pixels.assign(size_t(w) * size_t(h), 0);
    const auto colourOf = [&](uint32_t index) { return index < palette.size() ? palette[index] : 0u; };
    const auto rowAt = [&](int stored) { return topDown ? stored : h - 1 - stored; };
    if (compression == 1 || compression == 2) {
        // Run-length: pixels not given stay the first colour, as nothing was drawn there.
        size_t at = dataOffset;
        int x = 0, stored = 0;
        const auto put = [&](uint32_t index) {
            if (x < w && stored < h) out.pixels[size_t(rowAt(stored)) * size_t(w) + size_t(x)] = colourOf(index);
            ++x;
        };
        std::fill(out.pixels.begin(), out.pixels.end(), colourOf(0));
        while (at + 1 < b.size() && stored < h) {
            const uint8_t count = uint8_t(b[at]), value = uint8_t(b[at + 1]);
            at += 2;
            if (count > 0) {
                for (int i = 0; i < count; ++i)
                    put(compression == 1 ? value : (i % 2 == 0 ? value >> 4 : value & 15));
            } else if (value == 0) {
                x = 0, ++stored;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                if (at + 1 >= b.size()) break;
                x += uint8_t(b[at]), stored += uint8_t(b[at + 1]);
                at += 2;
            } else {
                const size_t bytes = compression == 1 ? value : (value + 1u) / 2;
                for (int i = 0; i < value; ++i) {
                    const size_t byteAt = at + (compression == 1 ? size_t(i) : size_t(i) / 2);
                    if (byteAt >= b.size()) break;
                    const uint8_t v = uint8_t(b[byteAt]);
                    put(compression == 1 ? v : (i % 2 == 0 ? v >> 4 : v & 15));
                }
                at += bytes + (bytes & 1);
            }
        }
        return true;
    }
    const size_t rowBytes = (size_t(w) * bits + 31) / 32 * 4;
    for (int stored = 0; stored < h; ++stored) {
        const size_t row = dataOffset + size_t(stored) * rowBytes;
        uint32_t* target = out.pixels.data() + size_t(rowAt(stored)) * size_t(w);
        for (int x = 0; x < w; ++x) {
            uint32_t rgb = 0;
            switch (bits) {
            case 1: rgb = colourOf((Little(b, row + size_t(x) / 8, 1) >> (7 - x % 8)) & 1); break;
            case 4: rgb = colourOf((Little(b, row + size_t(x) / 2, 1) >> (x % 2 == 0 ? 4 : 0)) & 15); break;
            case 8: rgb = colourOf(Little(b, row + size_t(x), 1)); break;
            case 24: rgb = Little(b, row + size_t(x) * 3, 3); break;
            default: {
                const uint32_t p = Little(b, row + size_t(x) * (bits / 8), int(bits / 8));
                rgb = Channel(p, masks[0]) << 16 | Channel(p, masks[1]) << 8 | Channel(p, masks[2]);
            }
            }
            target[x] = rgb;
        }
    }
    return true;
}
