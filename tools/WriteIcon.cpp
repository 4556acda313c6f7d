// Writes the window's own icon as a PNG file for desktops and menus, scaled up by whole steps
// (nearest neighbour) so its pixel drawing stays sharp:
//
//   tessaro_icon SIZE FILE.png      SIZE a multiple of 32
//
// The image is stored uncompressed (a palette image is small anyway), so no image library is
// needed at build time.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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

std::string PalettePng(const SDL_Surface* icon, int scale) {
    const int size = icon->w * scale;
    const auto* pixels = static_cast<const Uint8*>(icon->pixels);
    std::string rows;
    int colours = 1;
    for (int y = 0; y < size; ++y) {
        rows += '\0';  // no filter
        for (int x = 0; x < size; ++x) {
            const Uint8 index = pixels[(y / scale) * icon->pitch + x / scale];
            colours = std::max(colours, index + 1);
            rows += static_cast<char>(index);
        }
    }
    std::string header;
    PutBigEndian(header, static_cast<uint32_t>(size));
    PutBigEndian(header, static_cast<uint32_t>(size));
    header += std::string("\x08\x03\x00\x00\x00", 5);  // 8-bit palette indices, no interlace
    std::string palette;
    for (int i = 0; i < colours; ++i) {
        const SDL_Color& c = icon->format->palette->colors[i];
        palette += static_cast<char>(c.r), palette += static_cast<char>(c.g), palette += static_cast<char>(c.b);
    }
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
    SDL_Surface* icon = WindowIcon();
    if (icon == nullptr) {
        std::fprintf(stderr, "tessaro_icon: cannot draw the icon: %s\n", SDL_GetError());
        return 1;
    }
    const std::string png = PalettePng(icon, size / icon->w);
    SDL_FreeSurface(icon);
    std::FILE* file = std::fopen(argv[2], "wb");
    if (file == nullptr || std::fwrite(png.data(), 1, png.size(), file) != png.size() || std::fclose(file) != 0) {
        std::fprintf(stderr, "tessaro_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
