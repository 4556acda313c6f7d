// Images on GDI DIB sections: the pixels are the section's memory, text is TextOutW in the
// Japanese system gothic face, and bitmaps are decoded by Windows itself.
#include "platform/win32/GdiImage.h"

#include <cstring>
#include <vector>

#include "system/Errors.h"
#include "system/Picture.h"
#include "system/StoryFiles.h"
#include "platform/win32/WideText.h"

namespace {

HFONT GothicFont() {
    // 12 pixels from the top of the tallest glyph to the bottom of the deepest; without
    // smoothing, as the picture area has always shown it.
    static HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                    FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");
    return font;
}

class GdiImage : public Image {
public:
    GdiImage(int w, int h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;  // rows from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        section = dc != nullptr ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
        if (section == nullptr) {
            if (dc != nullptr) DeleteDC(dc);
            throw RunTimeError("Out of memory for the picture area");
        }
        previousBitmap = SelectObject(dc, section);
        previousFont = SelectObject(dc, GothicFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        width = w;
        height = h;
        stride = w;  // 32-bit rows need no padding
        pixels = static_cast<uint32_t*>(bits);
    }

    ~GdiImage() override {
        SelectObject(dc, previousFont);
        SelectObject(dc, previousBitmap);
        DeleteObject(section);
        DeleteDC(dc);
    }

    void Print(int x, int y, std::u32string_view text, const ImageRect& clip) override {
        const std::wstring wide = Widen(text);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, clip.x, clip.y, clip.x + clip.w, clip.y + clip.h);
        TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
        RestoreDC(dc, saved);
        // GDI may batch its drawing; the pixels are read directly next.
        GdiFlush();
    }

    int TextWidth(std::u32string_view text) override {
        const std::wstring wide = Widen(text);
        SIZE size{};
        if (!GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size)) return 0;
        return size.cx;
    }

    HDC dc = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    HGDIOBJ previousFont = nullptr;
};

uint32_t Little32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

uint16_t Little16(std::string_view bytes, size_t at) {
    return uint16_t(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

}  // namespace

std::unique_ptr<Image> NewImage(int width, int height) { return std::make_unique<GdiImage>(width, height); }

std::unique_ptr<Image> DecodeBitmap(std::string_view bytes, std::string& why) {
    constexpr size_t kFileHeader = 14;
    if (bytes.size() < kFileHeader + 12 || !IsBitmapFile(bytes)) {
        why = "not a Windows bitmap";
        return nullptr;
    }
    const size_t offset = Little32(bytes, 10);
    const size_t headerSize = Little32(bytes, kFileHeader);
    const bool core = headerSize == 12;  // the old OS/2 header
    if ((!core && headerSize < 40) || kFileHeader + headerSize > bytes.size() || offset > bytes.size() ||
        offset < kFileHeader + headerSize) {
        why = "broken header";
        return nullptr;
    }
    const int64_t w = core ? Little16(bytes, 18) : int32_t(Little32(bytes, 18));
    const int64_t h = core ? Little16(bytes, 20) : int32_t(Little32(bytes, 22));
    const unsigned depth = core ? Little16(bytes, 24) : Little16(bytes, 28);
    const uint32_t compression = core ? BI_RGB : Little32(bytes, 30);
    const int64_t rows = h < 0 ? -h : h;
    if (w <= 0 || rows == 0 || w > kPictureSideCap || rows > kPictureSideCap) {
        why = "unsupported size " + std::to_string(w) + " x " + std::to_string(h);
        return nullptr;
    }
    const bool depthKnown = depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
    const bool compressionFits = compression == BI_RGB || (compression == BI_RLE8 && depth == 8) ||
                                 (compression == BI_RLE4 && depth == 4) ||
                                 (compression == BI_BITFIELDS && (depth == 16 || depth == 32));
    if (!depthKnown || !compressionFits) {
        why = "unsupported depth or compression";
        return nullptr;
    }
    // Windows reads the pixels without knowing where the file ends: they must all be there.
    const size_t available = bytes.size() - offset;
    const bool runLength = compression == BI_RLE8 || compression == BI_RLE4;
    const size_t rowBytes = (size_t(w) * depth + 31) / 32 * 4;
    if (!runLength && rowBytes * size_t(rows) > available) {
        why = "the pixels end early";
        return nullptr;
    }
    // The header and palette, copied with room for the largest palette behind them (a short one
    // reads as black, never past the file), so that a run-length picture can be told its real
    // length and a palette size beyond the depth is not believed.
    std::vector<uint32_t> header((offset - kFileHeader + 256 * 4 + 12) / 4 + 1, 0);
    std::memcpy(header.data(), bytes.data() + kFileHeader, offset - kFileHeader);
    auto* info = reinterpret_cast<BITMAPINFO*>(header.data());
    if (!core) {
        if (runLength) info->bmiHeader.biSizeImage = DWORD(available);
        if (depth > 8 || info->bmiHeader.biClrUsed > (1u << depth)) info->bmiHeader.biClrUsed = 0;
    }

    auto image = std::make_unique<GdiImage>(int(w), int(rows));
    const int lines = SetDIBitsToDevice(image->dc, 0, 0, DWORD(w), DWORD(rows), 0, 0, 0, UINT(rows),
                                        bytes.data() + offset, info, DIB_RGB_COLORS);
    GdiFlush();
    if (lines == 0) {
        why = "Windows cannot read it";
        return nullptr;
    }
    return image;
}

HDC DeviceContextOf(const Image& image) { return static_cast<const GdiImage&>(image).dc; }

HICON IconOf(const Image& image) {
    GdiImage colour(image.Width(), image.Height());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) colour.Row(y)[x] = image.Row(y)[x] | 0xFF000000;
    std::vector<uint8_t> opaque(size_t((image.Width() + 15) / 16 * 2) * size_t(image.Height()), 0);
    HBITMAP mask = CreateBitmap(image.Width(), image.Height(), 1, 1, opaque.data());
    SelectObject(colour.dc, colour.previousBitmap);  // a bitmap in a device context cannot become an icon
    ICONINFO info{TRUE, 0, 0, mask, colour.section};
    HICON icon = CreateIconIndirect(&info);
    SelectObject(colour.dc, colour.section);
    DeleteObject(mask);
    return icon;
}
