#include "window/Icon.h"

#include <SDL.h>

#include <initializer_list>

namespace {

enum : Uint8 { kNight, kMoon, kBox, kEdge, kInk, kStar, kColours };

const SDL_Color kPalette[kColours] = {
    {16, 20, 48, 255},    // night sky
    {250, 226, 140, 255}, // moon
    {0, 0, 128, 255},     // message box
    {192, 192, 192, 255}, // its edge
    {255, 255, 255, 255}, // text
    {170, 180, 230, 255}, // stars
};

}  // namespace

SDL_Surface* WindowIcon() {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 8, SDL_PIXELFORMAT_INDEX8);
    if (icon == nullptr) return nullptr;
    SDL_SetPaletteColors(icon->format->palette, kPalette, 0, kColours);
    auto* pixels = static_cast<Uint8*>(icon->pixels);
    auto put = [&](int x, int y, Uint8 colour) { pixels[y * icon->pitch + x] = colour; };
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            Uint8 colour = kNight;
            const int dx = x - 21, dy = y - 8;
            const int ex = x - 24, ey = y - 6;  // the shadow that makes the moon a crescent
            if (dx * dx + dy * dy <= 36 && ex * ex + ey * ey > 30) colour = kMoon;
            if (y >= 19 && y <= 29 && x >= 1 && x <= 30)
                colour = (y == 19 || y == 29 || x == 1 || x == 30) ? kEdge : kBox;
            put(x, y, colour);
        }
    }
    for (const auto& star : {SDL_Point{5, 4}, SDL_Point{11, 9}, SDL_Point{3, 13}, SDL_Point{14, 3}})
        put(star.x, star.y, kStar);
    for (int x = 4; x <= 22; x += 3) put(x, 23, kInk), put(x + 1, 23, kInk);   // a row of text
    for (int x = 4; x <= 13; x += 3) put(x, 26, kInk), put(x + 1, 26, kInk);   // a shorter one
    put(16, 26, kInk);                                                      // and the page cursor
    put(15, 27, kInk), put(16, 27, kInk), put(17, 27, kInk);
    return icon;
}
