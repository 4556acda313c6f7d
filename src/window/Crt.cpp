#include "window/Crt.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "system/Errors.h"
#include "system/Font.h"
#include "system/Platform.h"
#include "system/TextCodec.h"

PictureArea Crt;

namespace {

constexpr int kBorder = 2;
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

}  // namespace

void PictureArea::Open(int width, int height) {
    JapaneseFont();
    if (image == nullptr || image->w != width || image->h != height) {
        SDL_FreeSurface(image);
        SDL_FreeSurface(background);
        SDL_FreeSurface(client);
        image = NewImage(width, height);
        background = NewImage(width, height);
        client = NewImage(width + 2 * kBorder, height + 2 * kBorder);
    }
    SDL_FillRect(background, nullptr, 0);
    SDL_FillRect(client, nullptr, 0);
    DrawSunkenBorder(client);
    noted.clear();
    painted.clear();
    unshown = SDL_Rect{0, 0, client->w, client->h};  // the border too, the first time
    CurrentX = CurrentY = 0;
    Cls();
}

void PictureArea::Note(Operation operation) { noted.push_back(std::move(operation)); }

void PictureArea::LineFill(int x1, int y1, int x2, int y2, int colour) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    Note({Operation::Fill, left, top, std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1, PaletteColour(colour), {}});
}

void PictureArea::LineOutline(int x1, int y1, int x2, int y2, int colour) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    const int right = std::max(x1, x2), bottom = std::max(y1, y2);
    const uint32_t rgb = PaletteColour(colour);
    Note({Operation::Fill, left, top, right - left + 1, 1, rgb, {}});
    Note({Operation::Fill, left, bottom, right - left + 1, 1, rgb, {}});
    Note({Operation::Fill, left, top, 1, bottom - top + 1, rgb, {}});
    Note({Operation::Fill, right, top, 1, bottom - top + 1, rgb, {}});
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
    std::string utf8 = Printable(text);
    if (!utf8.empty()) Note({Operation::Text, CurrentX, CurrentY, 0, 0, 0, std::move(utf8)});
}

int PictureArea::TextWidth(std::u32string_view text) {
    const std::string utf8 = Printable(text);
    int width = 0, height = 0;
    if (utf8.empty() || TTF_SizeUTF8(JapaneseFont(), utf8.c_str(), &width, &height) != 0) return 0;
    return width;
}

void PictureArea::Cls() { Note({Operation::Clear, 0, 0, image->w, image->h, 0, {}}); }

// Paints one operation into the image; returns the rectangle of the image it may have changed.
SDL_Rect PictureArea::PaintOperation(const Operation& operation) {
    SDL_Rect area{operation.x, operation.y, operation.w, operation.h};
    switch (operation.kind) {
    case Operation::Fill:
        SDL_FillRect(image, &area, operation.colour);
        break;
    case Operation::Text: {
        SDL_Surface* rendered = RenderedText(operation.text);
        if (rendered == nullptr) return SDL_Rect{};
        area.w = rendered->w;
        area.h = rendered->h;
        SDL_Rect at = area;  // the blit clips its own copy
        SDL_BlitSurface(rendered, nullptr, image, &at);
        break;
    }
    case Operation::Clear:
        SDL_BlitSurface(background, nullptr, image, nullptr);
        break;
    }
    return area;
}

void PictureArea::Paint() {
    if (noted.empty()) return;
    if (noted == painted) {
        noted.clear();
        return;
    }
    const SDL_Rect whole{0, 0, image->w, image->h};
    for (const Operation& operation : noted) {
        const SDL_Rect area = PaintOperation(operation);
        SDL_Rect inside, shown;
        if (!SDL_IntersectRect(&area, &whole, &inside)) continue;
        inside.x += kBorder;
        inside.y += kBorder;
        SDL_UnionRect(&unshown, &inside, &shown);
        unshown = shown;
    }
    painted.swap(noted);
    noted.clear();
}

void PictureArea::Refresh() {
    Paint();
    if (SDL_RectEmpty(&unshown)) return;  // the window shows all there is
    SDL_Rect from{unshown.x - kBorder, unshown.y - kBorder, unshown.w, unshown.h};
    SDL_Rect to = unshown;
    const SDL_Rect whole{0, 0, image->w, image->h};
    if (SDL_IntersectRect(&from, &whole, &from)) {
        to.x = from.x + kBorder;
        to.y = from.y + kBorder;
        SDL_BlitSurface(image, &from, client, &to);
    }
    const SDL_Rect changed = unshown;
    unshown = SDL_Rect{};
    System().ShowImage(client, changed);
}

void PictureArea::ShowIfChanged() { Refresh(); }

void PictureArea::Picture(SDL_Surface* bitmap) {
    Paint();
    SDL_FillRect(background, nullptr, 0);
    if (bitmap != nullptr) {
        // A picture is copied as it is: an alpha channel in a 32-bit file is not a transparency.
        SDL_SetSurfaceBlendMode(bitmap, SDL_BLENDMODE_NONE);
        SDL_Rect at{0, 0, bitmap->w, bitmap->h};
        SDL_BlitSurface(bitmap, nullptr, background, &at);
    }
    painted.clear();  // a clearing now paints other pixels than the last one did
    Cls();
}

SDL_Surface* PictureArea::Image() {
    Paint();
    return image;
}

uint32_t PictureArea::PixelAt(int x, int y) {
    if (image != nullptr) Paint();
    if (image == nullptr || x < 0 || y < 0 || x >= image->w || y >= image->h) return 0;
    const auto* row = static_cast<const uint8_t*>(image->pixels) + y * image->pitch;
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
}
