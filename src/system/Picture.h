#pragma once
// Story pictures: Windows bitmaps, read whole through ReadAssetFile and decoded from memory by
// the machine (system/Image.h). The same on every machine.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "system/Image.h"

// The largest side a picture may have: far beyond the 300 x 300 picture area, small enough that
// decoding cannot take the memory or the time a hostile header would ask for.
constexpr int kPictureSideCap = 8192;

// The bitmap at path (Windows-style, as LocateFile takes). The header is checked before anything is
// decoded: a size of zero or beyond kPictureSideCap, or pixel data the file is too short to hold,
// is refused at once. Throws FileNotFound, FileUnreadable, FileTooLarge or InvalidPicture, each
// naming the file; never returns null.
std::unique_ptr<Image> LoadPicture(const std::string& path);

// What a bitmap's header says of its pixels: its sides (the height as a count of rows, whichever
// way they run), bits a pixel and compression. A header cut short reads as if it went on in
// zeros, as the decoders read it.
struct BitmapHeader {
    int64_t width = 0, height = 0;
    uint32_t bitsPerPixel = 0, compression = 0;
};
BitmapHeader ReadBitmapHeader(std::string_view file);
