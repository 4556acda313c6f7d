#pragma once
// Story pictures: Windows bitmaps, read whole through ReadAssetFile and decoded from memory by
// the machine (system/Image.h). The same on every machine.
#include <memory>
#include <string>

#include "system/Image.h"

// The largest side a picture may have: far beyond the 300 x 300 picture area, small enough that
// decoding cannot take the memory or the time a hostile header would ask for.
constexpr int kPictureSideCap = 8192;

// The bitmap at path (Windows-style, as LocateFile takes). The header is checked before anything is
// decoded: a size of zero or beyond kPictureSideCap, or pixel data the file is too short to hold,
// is refused at once. Throws FileNotFound, FileUnreadable, FileTooLarge or InvalidPicture, each
// naming the file; never returns null.
std::unique_ptr<Image> LoadPicture(const std::string& path);
