// Images in plain memory, with text from FreeType in the same face and placing as on Linux, and
// bitmaps from our own decoder.
#include <vector>

#include "platform/canvas/BitmapDecoder.h"
#include "platform/canvas/MonoText.h"
#include "system/Errors.h"
#include "system/Image.h"

namespace {

constexpr int kTextPixels = 12;

class WebImage : public Image {
public:
    WebImage(int w, int h) : memory(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {
        width = w;
        height = h;
        stride = w;
        pixels = memory.data();
    }

    void Print(int x, int y, std::u32string_view text, const ImageRect& clip) override {
        PrintMono(*this, x, y, text, clip, kTextPixels, 0xFFFFFF);
    }

    int TextWidth(std::u32string_view text) override { return MonoTextWidth(text, kTextPixels); }

private:
    std::vector<uint32_t> memory;
};

}  // namespace

std::unique_ptr<Image> NewImage(int width, int height) {
    try {
        return std::make_unique<WebImage>(width, height);
    } catch (const std::bad_alloc&) {
        throw RunTimeError("Out of memory for the picture area");
    }
}

std::unique_ptr<Image> DecodeBitmap(std::string_view bytes, std::string& why) {
    DecodedBitmap decoded;
    if (!DecodeBitmapBytes(bytes, decoded, why)) return nullptr;
    auto image = NewImage(decoded.width, decoded.height);
    for (int y = 0; y < decoded.height; ++y)
        std::copy_n(decoded.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(decoded.width),
                    decoded.width, image->Row(y));
    return image;
}
