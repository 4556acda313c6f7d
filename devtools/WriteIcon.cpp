// Writes the window's own icon as a PNG file for desktops and menus, scaled up by whole steps
// (nearest neighbour) so its pixel drawing stays sharp:
//
//   tessaro_icon SIZE FILE.png      SIZE a multiple of 32
//
// The image is stored uncompressed (a palette image is small anyway), so no image library is
// needed at build time.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "window/Icon.h"

namespace {

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xffffffffu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

uint32_t Adler32(const std::string& bytes) {
    uint32_t a = 1, b = 0;
    for (unsigned char byte : bytes) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xffu);
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
    PutBigEndian(png, static_cast<uint32_t>(data.size()));
    const std::string typed = type + data;
    png += typed;
    PutBigEndian(png, Crc32(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string Stored(const std::string& raw) {
    std::string out = "\x78\x01";
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xffu), out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xffu), out += static_cast<char>((~length >> 8) & 0xffu);
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    PutBigEndian(out, Adler32(raw));
    return out;
}

// The icon's few colours as a palette, in the order they first appear.
std::string PalettePng(const Image& icon, int scale) {
    const int size = icon.Width() * scale;
    std::vector<uint32_t> colours;
    std::string rows;
    for (int y = 0; y < size; ++y) {
        rows += '\0';  // no filter
        for (int x = 0; x < size; ++x) {
            const uint32_t rgb = icon.Row(y / scale)[x / scale] & 0xFFFFFF;
            size_t index = 0;
            while (index < colours.size() && colours[index] != rgb) ++index;
            if (index == colours.size()) colours.push_back(rgb);
            rows += static_cast<char>(index);
        }
    }
    std::string header;
    PutBigEndian(header, static_cast<uint32_t>(size));
    PutBigEndian(header, static_cast<uint32_t>(size));
    header += std::string("\x08\x03\x00\x00\x00", 5);  // 8-bit palette indices, no interlace
    std::string palette;
    for (uint32_t rgb : colours)
        palette += static_cast<char>(rgb >> 16), palette += static_cast<char>(rgb >> 8 & 0xFF),
            palette += static_cast<char>(rgb & 0xFF);
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "PLTE", palette);
    PutChunk(png, "IDAT", Stored(rows));
    PutChunk(png, "IEND", "");
    return png;
}

}  // namespace

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size <= 0 || size % 32 != 0) {
        std::fputs("usage: tessaro_icon SIZE FILE.png   (SIZE a multiple of 32)\n", stderr);
        return 2;
    }
    const std::unique_ptr<Image> icon = WindowIcon();
    const std::string png = PalettePng(*icon, size / icon->Width());
    std::FILE* file = std::fopen(argv[2], "wb");
    if (file == nullptr || std::fwrite(png.data(), 1, png.size(), file) != png.size() || std::fclose(file) != 0) {
        std::fprintf(stderr, "tessaro_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
