#include "window/Crt.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "system/Errors.h"
#include "system/Font.h"
#include "system/Platform.h"
#include "system/TextCodec.h"

PictureArea Crt;

namespace {

constexpr size_t kTextCacheLimit = 64;

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

SDL_Surface* NewImage(int width, int height) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
    if (surface == nullptr) throw RunTimeError(std::string("Out of memory for the picture area: ") + SDL_GetError());
    return surface;
}

void Fill(SDL_Surface* surface, int x, int y, int w, int h, uint32_t rgb) {
    SDL_Rect rect{x, y, w, h};
    SDL_FillRect(surface, &rect, rgb);
}

// The sunken edge: dark outside top and left, light outside bottom and right, and a second,
// darker pair inside.
void DrawSunkenBorder(SDL_Surface* surface) {
    const int w = surface->w, h = surface->h;
    Fill(surface, 0, 0, w, 1, 0x808080);
    Fill(surface, 0, 0, 1, h, 0x808080);
    Fill(surface, 0, h - 1, w, 1, 0xFFFFFF);
    Fill(surface, w - 1, 0, 1, h, 0xFFFFFF);
    Fill(surface, 1, 1, w - 2, 1, 0x000000);
    Fill(surface, 1, 1, 1, h - 2, 0x000000);
    Fill(surface, 1, h - 2, w - 2, 1, 0xC0C0C0);
    Fill(surface, w - 2, 1, 1, h - 2, 0xC0C0C0);
}

// What Print shows of a row: a tab as a space, other control characters as nothing.
std::string Printable(std::u32string_view text) {
    std::u32string shown;
    shown.reserve(text.size());
    for (char32_t c : text) {
        if (c == U'\t') shown.push_back(U' ');
        else if (c >= 0x20 && c != 0x7F) shown.push_back(c);
    }
    return ToUtf8(shown);
}

// The smallest rectangle that holds every pixel in which two images of the same size differ;
// false when they are the same.
bool DifferingPart(const SDL_Surface* now, const SDL_Surface* before, SDL_Rect& part) {
    auto row = [](const SDL_Surface* s, int y) {
        return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + size_t(y) * size_t(s->pitch));
    };
    const size_t rowBytes = size_t(now->w) * 4;
    int top = 0, bottom = now->h - 1;
    while (top <= bottom && std::memcmp(row(now, top), row(before, top), rowBytes) == 0) ++top;
    if (top > bottom) return false;
    while (std::memcmp(row(now, bottom), row(before, bottom), rowBytes) == 0) --bottom;
    int left = now->w, right = -1;
    for (int y = top; y <= bottom; ++y) {
        const uint32_t* a = row(now, y);
        const uint32_t* b = row(before, y);
        for (int x = 0; x < left; ++x)
            if (a[x] != b[x]) left = x;
        for (int x = now->w - 1; x > right; --x)
            if (a[x] != b[x]) right = x;
    }
    part = SDL_Rect{left, top, right - left + 1, bottom - top + 1};
    return true;
}

}  // namespace

// Everything the area holds goes with it, so that nothing is lost track of at exit.
PictureArea::~PictureArea() {
    for (auto& entry : textCache) SDL_FreeSurface(entry.second);
    for (SDL_Surface* surface : {image, background, client, lastShown}) SDL_FreeSurface(surface);
}

void PictureArea::Open(int width, int height) {
    JapaneseFont();
    if (image == nullptr || image->w != width || image->h != height) {
        SDL_FreeSurface(image);
        SDL_FreeSurface(background);
        SDL_FreeSurface(client);
        SDL_FreeSurface(lastShown);
        image = NewImage(width, height);
        background = NewImage(width, height);
        client = NewImage(width + 2 * kCrtBorder, height + 2 * kCrtBorder);
        lastShown = NewImage(width + 2 * kCrtBorder, height + 2 * kCrtBorder);
    }
    SDL_FillRect(background, nullptr, 0);
    SDL_FillRect(client, nullptr, 0);
    DrawSunkenBorder(client);
    shownOnce = false;
    CurrentX = CurrentY = 0;
    Cls();
}

void PictureArea::LineFill(int x1, int y1, int x2, int y2, int colour) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    Fill(image, left, top, std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1, PaletteColour(colour));
    changed = true;
}

void PictureArea::LineOutline(int x1, int y1, int x2, int y2, int colour) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    const int right = std::max(x1, x2), bottom = std::max(y1, y2);
    const uint32_t rgb = PaletteColour(colour);
    Fill(image, left, top, right - left + 1, 1, rgb);
    Fill(image, left, bottom, right - left + 1, 1, rgb);
    Fill(image, left, top, 1, bottom - top + 1, rgb);
    Fill(image, right, top, 1, bottom - top + 1, rgb);
    changed = true;
}

SDL_Surface* PictureArea::RenderedText(const std::string& utf8) {
    auto cached = textCache.find(utf8);
    if (cached != textCache.end()) return cached->second;
    if (textCache.size() >= kTextCacheLimit) {
        for (auto& entry : textCache) SDL_FreeSurface(entry.second);
        textCache.clear();
    }
    SDL_Surface* rendered = TTF_RenderUTF8_Solid(JapaneseFont(), utf8.c_str(), SDL_Color{255, 255, 255, 255});
    textCache.emplace(utf8, rendered);
    return rendered;
}

void PictureArea::Print(std::u32string_view text) {
    const std::string utf8 = Printable(text);
    if (utf8.empty()) return;
    SDL_Surface* rendered = RenderedText(utf8);
    if (rendered == nullptr) return;
    SDL_Rect at{CurrentX, CurrentY, rendered->w, rendered->h};
    SDL_BlitSurface(rendered, nullptr, image, &at);
    changed = true;
}

int PictureArea::TextWidth(std::u32string_view text) {
    const std::string utf8 = Printable(text);
    int width = 0, height = 0;
    if (utf8.empty() || TTF_SizeUTF8(JapaneseFont(), utf8.c_str(), &width, &height) != 0) return 0;
    return width;
}

void PictureArea::Cls() {
    SDL_BlitSurface(background, nullptr, image, nullptr);
    changed = true;
}

void PictureArea::Refresh() {
    SDL_Rect inside{kCrtBorder, kCrtBorder, image->w, image->h};
    SDL_BlitSurface(image, nullptr, client, &inside);
    changed = false;
    // Waiting loops repaint the same box twenty times a second; the screen already shows it,
    // and sending it to the window system again is most of what a wait would cost. A typed
    // character changes a few pixels: only those go to a window that may be eight times larger.
    SDL_Rect part{};
    const bool firstTime = !shownOnce;
    if (!firstTime && !DifferingPart(client, lastShown, part)) return;
    const size_t bytes = size_t(client->pitch) * size_t(client->h);
    std::memcpy(lastShown->pixels, client->pixels, bytes);
    shownOnce = true;
    System().ShowImage(client, firstTime ? nullptr : &part);
}

void PictureArea::ShowIfChanged() {
    if (changed) Refresh();
}

void PictureArea::Picture(SDL_Surface* bitmap) {
    SDL_FillRect(background, nullptr, 0);
    if (bitmap != nullptr) {
        // A picture is copied as it is: an alpha channel in a 32-bit file is not a transparency.
        SDL_SetSurfaceBlendMode(bitmap, SDL_BLENDMODE_NONE);
        SDL_Rect at{0, 0, bitmap->w, bitmap->h};
        SDL_BlitSurface(bitmap, nullptr, background, &at);
    }
    Cls();
}

uint32_t PictureArea::PixelAt(int x, int y) const {
    if (image == nullptr || x < 0 || y < 0 || x >= image->w || y >= image->h) return 0;
    const auto* row = static_cast<const uint8_t*>(image->pixels) + y * image->pitch;
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
}
