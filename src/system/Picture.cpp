#include "system/Picture.h"

#include <cstdint>
#include <optional>

#include "system/Errors.h"
#include "system/Files.h"
#include "system/Image.h"

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
    if (file.size() < 2 || file.compare(0, 2, "BM") != 0) return std::nullopt;
    // The decoder reads a header cut short as if it went on in zeros; so is it read here.
    constexpr size_t kLongestHeader = kFileHeaderSize + 4 + 16;
    std::string bytes = file.substr(0, kLongestHeader);
    bytes.resize(kLongestHeader, '\0');
    const uint32_t infoSize = Little(bytes, kFileHeaderSize, 4);
    int64_t width = 0, height = 0;
    uint32_t bitsPerPixel = 0, compression = 0;
    const size_t info = kFileHeaderSize + 4;
    if (infoSize == 12) {  // the old core header: 16-bit sides
        width = Little(bytes, info, 2);
        height = Little(bytes, info + 2, 2);
        bitsPerPixel = Little(bytes, info + 6, 2);
    } else {  // every later header starts alike: signed 32-bit sides, a negative height top-down
        width = int32_t(Little(bytes, info, 4));
        height = int32_t(Little(bytes, info + 4, 4));
        if (height < 0) height = -height;
        bitsPerPixel = Little(bytes, info + 10, 2);
        compression = Little(bytes, info + 12, 4);
    }
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

std::unique_ptr<Image> LoadPicture(const std::string& path) {
    const std::string bytes = ReadAssetFile(path, kMediaFileCap);
    const std::string real = LocateFile(path);
    if (const auto fault = HeaderFault(bytes)) throw InvalidPicture(real, *fault);
    std::string why;
    std::unique_ptr<Image> bitmap = DecodeBitmap(bytes, why);
    if (bitmap == nullptr) throw InvalidPicture(real, why);
    return bitmap;
}
