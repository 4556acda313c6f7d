#include "window/Crt.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "system/Platform.h"

PictureArea Crt;

namespace {


uint32_t PaletteColour(int colour) {
    switch (colour) {
    case kDarkBlue:
        return 0x000080;
    case kLightGrey:
        return 0xC0C0C0;
    default:
        return 0x000000;
    }
}

// The sunken edge: dark outside top and left, light outside bottom and right, and a second,
// darker pair inside.
void DrawSunkenBorder(Image& image) {
    const int w = image.Width(), h = image.Height();
    FillImage(image, 0, 0, w, 1, 0x808080);
    FillImage(image, 0, 0, 1, h, 0x808080);
    FillImage(image, 0, h - 1, w, 1, 0xFFFFFF);
    FillImage(image, w - 1, 0, 1, h, 0xFFFFFF);
    FillImage(image, 1, 1, w - 2, 1, 0x000000);
    FillImage(image, 1, 1, 1, h - 2, 0x000000);
    FillImage(image, 1, h - 2, w - 2, 1, 0xC0C0C0);
    FillImage(image, w - 2, 1, 1, h - 2, 0xC0C0C0);
}

// What Print shows of a row: a tab as a space, other control characters as nothing.
std::u32string Printable(std::u32string_view text) {
    std::u32string shown;
    shown.reserve(text.size());
    for (char32_t c : text) {
        if (c == U'\t') shown.push_back(U' ');
        else if (c >= 0x20 && c != 0x7F) shown.push_back(c);
    }
    return shown;
}

// The smallest rectangle that holds every pixel in which an image differs from a copy of it made
// earlier (its rows one after the other); false when they are the same.
bool DifferingPart(const Image& now, const std::vector<uint32_t>& before, ImageRect& part) {
    const int w = now.Width();
    auto old = [&](int y) { return before.data() + size_t(y) * size_t(w); };
    const size_t rowBytes = size_t(w) * 4;
    int top = 0, bottom = now.Height() - 1;
    while (top <= bottom && std::memcmp(now.Row(top), old(top), rowBytes) == 0) ++top;
    if (top > bottom) return false;
    while (std::memcmp(now.Row(bottom), old(bottom), rowBytes) == 0) --bottom;
    int left = w, right = -1;
    for (int y = top; y <= bottom; ++y) {
        const uint32_t* a = now.Row(y);
        const uint32_t* b = old(y);
        for (int x = 0; x < left; ++x)
            if (a[x] != b[x]) left = x;
        for (int x = w - 1; x > right; --x)
            if (a[x] != b[x]) right = x;
    }
    part = ImageRect{left, top, right - left + 1, bottom - top + 1};
    return true;
}

}  // namespace

void PictureArea::Open(int width, int height) {
    if (image == nullptr || image->Width() != width || image->Height() != height) {
        image = NewImage(width, height);
        background = NewImage(width, height);
        client = NewImage(width + 2 * kCrtBorder, height + 2 * kCrtBorder);
        lastShown.assign(size_t(client->Width()) * size_t(client->Height()), 0);
    }
    // The font is opened now, so that a missing one stops the program before the window opens.
    image->TextWidth(U"あ");
    FillImage(*background, 0, 0, width, height, 0);
    FillImage(*client, 0, 0, client->Width(), client->Height(), 0);
    DrawSunkenBorder(*client);
    shownOnce = false;
    CurrentX = CurrentY = 0;
    Cls();
}

void PictureArea::LineFill(int x1, int y1, int x2, int y2, int colour) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    FillImage(*image, left, top, std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1, PaletteColour(colour));
    changed = true;
}

void PictureArea::LineOutline(int x1, int y1, int x2, int y2, int colour) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    const int right = std::max(x1, x2), bottom = std::max(y1, y2);
    const uint32_t rgb = PaletteColour(colour);
    FillImage(*image, left, top, right - left + 1, 1, rgb);
    FillImage(*image, left, bottom, right - left + 1, 1, rgb);
    FillImage(*image, left, top, 1, bottom - top + 1, rgb);
    FillImage(*image, right, top, 1, bottom - top + 1, rgb);
    changed = true;
}

void PictureArea::Print(std::u32string_view text) {
    const std::u32string shown = Printable(text);
    if (shown.empty()) return;
    image->Print(CurrentX, CurrentY, shown);
    changed = true;
}

int PictureArea::TextWidth(std::u32string_view text) {
    const std::u32string shown = Printable(text);
    if (shown.empty()) return 0;
    if (image == nullptr) {
        // Text is measured before the area is opened too (the authors' checker has no window),
        // in the same font.
        static const std::unique_ptr<Image> measuring = NewImage(1, 1);
        return measuring->TextWidth(shown);
    }
    return image->TextWidth(shown);
}

void PictureArea::Cls() {
    CopyImage(*background, *image, 0, 0);
    changed = true;
}

void PictureArea::Refresh() {
    CopyImage(*image, *client, kCrtBorder, kCrtBorder);
    changed = false;
    // Waiting loops repaint the same box twenty times a second; the screen already shows it,
    // and sending it to the window system again is most of what a wait would cost. A typed
    // character changes a few pixels: only those go to a window that may be eight times larger.
    ImageRect part{};
    const bool firstTime = !shownOnce;
    if (!firstTime && !DifferingPart(*client, lastShown, part)) return;
    for (int y = 0; y < client->Height(); ++y)
        std::memcpy(lastShown.data() + size_t(y) * size_t(client->Width()), client->Row(y),
                    sizeof(uint32_t) * size_t(client->Width()));
    shownOnce = true;
    System().ShowImage(*client, firstTime ? nullptr : &part);
}

void PictureArea::ShowIfChanged() {
    if (changed) Refresh();
}

void PictureArea::Picture(const Image& bitmap) {
    FillImage(*background, 0, 0, background->Width(), background->Height(), 0);
    CopyImage(bitmap, *background, 0, 0);
    Cls();
}

uint32_t PictureArea::PixelAt(int x, int y) const {
    if (image == nullptr || x < 0 || y < 0 || x >= image->Width() || y >= image->Height()) return 0;
    return image->Row(y)[x] & 0xFFFFFF;
}
