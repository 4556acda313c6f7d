#include "window/Crt.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

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

// The smallest rectangle of the client image that holds every pixel of the area (in client
// coordinates) in which the image differs from what the client image holds; false when none.
bool DifferingPart(const SDL_Surface* image, const SDL_Surface* client, const SDL_Rect& area, SDL_Rect& part) {
    auto row = [](const SDL_Surface* s, int x, int y) {
        return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + size_t(y) * size_t(s->pitch)) + x;
    };
    const auto now = [&](int y) { return row(image, area.x - kCrtBorder, y - kCrtBorder); };
    const auto before = [&](int y) { return row(client, area.x, y); };
    const size_t rowBytes = size_t(area.w) * 4;
    int top = area.y, bottom = area.y + area.h - 1;
    while (top <= bottom && std::memcmp(now(top), before(top), rowBytes) == 0) ++top;
    if (top > bottom) return false;
    while (std::memcmp(now(bottom), before(bottom), rowBytes) == 0) --bottom;
    int left = area.w, right = -1;
    for (int y = top; y <= bottom; ++y) {
        const uint32_t* a = now(y);
        const uint32_t* b = before(y);
        for (int x = 0; x < left; ++x)
            if (a[x] != b[x]) left = x;
        for (int x = area.w - 1; x > right; --x)
            if (a[x] != b[x]) right = x;
    }
    part = SDL_Rect{area.x + left, top, right - left + 1, bottom - top + 1};
    return true;
}

}  // namespace

// Everything the area holds goes with it, so that nothing is lost track of at exit.
PictureArea::~PictureArea() {
    for (auto& entry : textCache) SDL_FreeSurface(entry.second);
    for (SDL_Surface* surface : {image, background, client}) SDL_FreeSurface(surface);
}

void PictureArea::Open(int width, int height) {
    JapaneseFont();
    if (image == nullptr || image->w != width || image->h != height) {
        SDL_FreeSurface(image);
        SDL_FreeSurface(background);
        SDL_FreeSurface(client);
        image = NewImage(width, height);
        background = NewImage(width, height);
        client = NewImage(width + 2 * kCrtBorder, height + 2 * kCrtBorder);
    }
    SDL_FillRect(background, nullptr, 0);
    SDL_FillRect(client, nullptr, 0);
    DrawSunkenBorder(client);
    noted.clear();
    painted.clear();
    unshown = SDL_Rect{};
    shownOnce = false;  // the first time, all of it, border and all
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
    std::string utf8 = Printable(text);
    // The page wait measures the same row every other pass; shaping it each time costs more than
    // the rest of the pass.
    if (auto known = widthCache.find(utf8); known != widthCache.end()) return known->second;
    int width = 0, height = 0;
    if (utf8.empty() || TTF_SizeUTF8(JapaneseFont(), utf8.c_str(), &width, &height) != 0) width = 0;
    if (widthCache.size() >= kTextCacheLimit) widthCache.clear();
    widthCache.emplace(std::move(utf8), width);
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
        inside.x += kCrtBorder;
        inside.y += kCrtBorder;
        SDL_UnionRect(&unshown, &inside, &shown);
        unshown = shown;
    }
    painted.swap(noted);
    noted.clear();
}

void PictureArea::Refresh() {
    Paint();
    // Of what was painted, only what differs from what the window was last given goes to it: a
    // typed character is a few pixels, and the window may be eight times larger. The first time,
    // all of it goes, border and all.
    SDL_Rect part{};
    const bool first = !shownOnce;
    const bool differs = !SDL_RectEmpty(&unshown) && DifferingPart(image, client, unshown, part);
    unshown = SDL_Rect{};
    if (!differs && !first) return;
    if (differs) {
        SDL_Rect from{part.x - kCrtBorder, part.y - kCrtBorder, part.w, part.h}, to = part;
        SDL_BlitSurface(image, &from, client, &to);
    }
    shownOnce = true;
    System().ShowImage(client, first ? nullptr : &part);
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

uint32_t PictureArea::PixelAt(int x, int y) {
    if (image != nullptr) Paint();
    if (image == nullptr || x < 0 || y < 0 || x >= image->w || y >= image->h) return 0;
    const auto* row = static_cast<const uint8_t*>(image->pixels) + y * image->pitch;
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
}
