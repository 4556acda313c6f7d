#include "system/Picture.h"

#include <cstdint>
#include <optional>

#include "system/Errors.h"
#include "system/Files.h"
#include "system/Image.h"
#include "system/StoryFiles.h"

namespace {

constexpr size_t kFileHeaderSize = 14;  // "BM", file size, two reserved words, offset of the pixels

uint32_t Little(const std::string& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + size_t(i)]);
    return value;
}

// What is wrong with the header, or nothing when the decoder may have it. Files that are not
// bitmaps at all are left to the decoder, which knows how to say so.
std::optional<std::string> HeaderFault(const std::string& file) {
    if (file.empty()) return "the file is empty";
    if (!IsBitmapFile(file)) return std::nullopt;
    const BitmapHeader header = ReadBitmapHeader(file);
    const int64_t width = header.width, height = header.height;
    const uint32_t bitsPerPixel = header.bitsPerPixel, compression = header.compression;
    if (width <= 0 || height <= 0) return "the picture has no pixels";
    if (width > kPictureSideCap || height > kPictureSideCap)
        return std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
    // Uncompressed rows are stored whole, each padded to four bytes: a file shorter than all the
    // rows but the last cannot be decoded, so nothing is made for it.
    const bool uncompressed = compression == 0 || compression == 3;  // plain or bit fields
    if (uncompressed && bitsPerPixel > 0 && bitsPerPixel <= 32) {
        const uint64_t rowBytes = (uint64_t(width) * bitsPerPixel + 31) / 32 * 4;
        if (uint64_t(file.size()) < rowBytes * uint64_t(height - 1))
            return "the file ends before its pixels do";
    }
    return std::nullopt;
}

}  // namespace

BitmapHeader ReadBitmapHeader(std::string_view file) {
    // The decoder reads a header cut short as if it went on in zeros; so is it read here.
    constexpr size_t kLongestHeader = kFileHeaderSize + 4 + 16;
    std::string bytes(file.substr(0, kLongestHeader));
    bytes.resize(kLongestHeader, '\0');
    const uint32_t infoSize = Little(bytes, kFileHeaderSize, 4);
    BitmapHeader header;
    const size_t info = kFileHeaderSize + 4;
    if (infoSize == 12) {  // the old core header: 16-bit sides
        header.width = Little(bytes, info, 2);
        header.height = Little(bytes, info + 2, 2);
        header.bitsPerPixel = Little(bytes, info + 6, 2);
    } else {  // every later header starts alike: signed 32-bit sides, a negative height top-down
        header.width = int32_t(Little(bytes, info, 4));
        header.height = int32_t(Little(bytes, info + 4, 4));
        if (header.height < 0) header.height = -header.height;
        header.bitsPerPixel = Little(bytes, info + 10, 2);
        header.compression = Little(bytes, info + 12, 4);
    }
    return header;
}

std::unique_ptr<Image> LoadPicture(const std::string& path) {
    const std::string bytes = ReadAssetFile(path, kMediaFileCap);
    const std::string real = LocateFile(path);
    if (const auto fault = HeaderFault(bytes)) throw InvalidPicture(real, *fault);
    std::string why;
    std::unique_ptr<Image> bitmap = DecodeBitmap(bytes, why);
    if (bitmap == nullptr) throw InvalidPicture(real, why);
    return bitmap;
}
