#include "platform/sdl/SdlScaling.h"

#include <cstdint>
#include <cstring>

namespace {

// Both 32 bits a pixel with the same channels: the pixels can be copied as they are.
bool SameLayout(const SDL_Surface* a, const SDL_Surface* b) {
    return a->format->BytesPerPixel == 4 && b->format->BytesPerPixel == 4 &&
           a->format->Rmask == b->format->Rmask && a->format->Gmask == b->format->Gmask &&
           a->format->Bmask == b->format->Bmask;
}

}  // namespace

SDL_Rect PutScaled(SDL_Surface* source, const SDL_Rect& part, SDL_Surface* target, const Placement& placement) {
    SDL_Rect from{};
    const SDL_Rect whole{0, 0, source->w, source->h};
    if (!SDL_IntersectRect(&part, &whole, &from)) return SDL_Rect{0, 0, 0, 0};
    const int n = placement.scale;
    SDL_Rect to{placement.x + from.x * n, placement.y + from.y * n, from.w * n, from.h * n};
    SDL_Rect painted{};
    const SDL_Rect screen{0, 0, target->w, target->h};
    if (!SDL_IntersectRect(&to, &screen, &painted)) return SDL_Rect{0, 0, 0, 0};
    if (!SameLayout(source, target)) {
        // Another pixel format (a 16-bit display): SDL converts, still nearest-neighbour.
        SDL_BlitScaled(source, &from, target, &to);
        return painted;
    }
    if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
    auto row = [](SDL_Surface* s, int y) {
        return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + size_t(y) * size_t(s->pitch));
    };
    for (int y = painted.y; y < painted.y + painted.h; ++y) {
        uint32_t* out = row(target, y) + painted.x;
        const int sourceY = (y - placement.y) / n;
        // The rows of one block are the same: the first is made, the others copied from it.
        if (y > painted.y && sourceY == (y - 1 - placement.y) / n) {
            std::memcpy(out, row(target, y - 1) + painted.x, size_t(painted.w) * 4);
            continue;
        }
        const uint32_t* in = row(source, sourceY);
        for (int x = 0; x < painted.w; ++x) out[x] = in[(painted.x + x - placement.x) / n];
    }
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    return painted;
}
