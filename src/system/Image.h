#pragma once
// The off-screen images the window shows: 32-bit pixels (0xRRGGBB, the top byte unused), rows
// from the top, in plain memory, so that the picture area's fills, copies and comparisons are one
// code on every machine. Only what needs the machine's own services differs: painting text in its
// Japanese gothic face and decoding bitmaps.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A rectangle of an image, in its pixels.
struct ImageRect {
    int x = 0, y = 0, w = 0, h = 0;
};

class Image {
public:
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    virtual ~Image() = default;

    int Width() const { return width; }
    int Height() const { return height; }
    uint32_t* Row(int y) { return pixels + static_cast<ptrdiff_t>(y) * stride; }
    const uint32_t* Row(int y) const { return pixels + static_cast<ptrdiff_t>(y) * stride; }

    // Paints the glyphs of text in white with the top-left corner of the text at (x, y), without
    // smoothing and without a background; nothing outside clip or the image's edges changes.
    // Control characters have been taken out by the caller.
    virtual void Print(int x, int y, std::u32string_view text, const ImageRect& clip) = 0;
    // The width in pixels that Print gives text.
    virtual int TextWidth(std::u32string_view text) = 0;

protected:
    Image() = default;
    int width = 0;
    int height = 0;
    int stride = 0;
    uint32_t* pixels = nullptr;  // owned by the implementation
};

// A new black image. Throws RunTimeError when there is no memory for it.
std::unique_ptr<Image> NewImage(int width, int height);

// Decodes a Windows bitmap file held in memory. Returns nullptr and says why in `why` when the
// bytes are not a bitmap this machine reads.
std::unique_ptr<Image> DecodeBitmap(std::string_view bytes, std::string& why);

// Copies source onto target with source's top-left corner at (x, y), cut off at target's edges.
void CopyImage(const Image& source, Image& target, int x, int y);

// Fills the rectangle of target at (x, y), w by h pixels, cut off at its edges.
void FillImage(Image& target, int x, int y, int w, int h, uint32_t rgb);
