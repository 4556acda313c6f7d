#include "system/MessageBoxPicture.h"

namespace {

constexpr uint32_t kFace = 0xECECEC, kInk = 0x000000, kButtonFace = 0xFAFAFA, kButtonPressed = 0xD0D0D0;
constexpr uint32_t kButtonEdge = 0x606060;
constexpr uint32_t kBoxEdge = 0x808080;  // tells the box from a light picture without a frame
constexpr int kFocusInset = 3;

void Outline(Image& image, const BoxRect& r, uint32_t c) {
    FillImage(image, r.x, r.y, r.w, 1, c);
    FillImage(image, r.x, r.y + r.h - 1, r.w, 1, c);
    FillImage(image, r.x, r.y, 1, r.h, c);
    FillImage(image, r.x + r.w - 1, r.y, 1, r.h, c);
}

// The focus outline: every other pixel, as desktop toolkits mark the button Return presses.
void DottedOutline(Image& image, const BoxRect& r, uint32_t c) {
    for (int x = r.x; x < r.x + r.w; x += 2) {
        FillImage(image, x, r.y, 1, 1, c);
        FillImage(image, x, r.y + r.h - 1, 1, 1, c);
    }
    for (int y = r.y; y < r.y + r.h; y += 2) {
        FillImage(image, r.x, y, 1, 1, c);
        FillImage(image, r.x + r.w - 1, y, 1, 1, c);
    }
}

}  // namespace

void DrawMessageBox(Image& image, const MessageBoxLayout& layout, bool buttonDown, const MessageBoxFont& font) {
    const int scale = layout.fontPixels / MessageBoxFontPixels(1);
    FillImage(image, 0, 0, image.Width(), image.Height(), kFace);
    Outline(image, {0, 0, image.Width(), image.Height()}, kBoxEdge);
    for (size_t i = 0; i < layout.lines.size(); ++i)
        font.print(image, layout.textLeft, layout.textTop + static_cast<int>(i) * layout.lineHeight, layout.lines[i]);

    const BoxRect& b = layout.button;
    FillImage(image, b.x, b.y, b.w, b.h, buttonDown ? kButtonPressed : kButtonFace);
    for (int i = 0; i < scale; ++i) Outline(image, {b.x + i, b.y + i, b.w - 2 * i, b.h - 2 * i}, kButtonEdge);
    const int inset = kFocusInset * scale;
    DottedOutline(image, {b.x + inset, b.y + inset, b.w - 2 * inset, b.h - 2 * inset}, kInk);
    const int press = buttonDown ? scale : 0;  // a pressed button's label sinks a little
    font.print(image, b.x + (b.w - font.width("OK")) / 2 + press, b.y + (b.h - font.height) / 2 + press, "OK");
}
