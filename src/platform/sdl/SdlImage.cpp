// Images on SDL surfaces, with text from SDL2_ttf.
#include <SDL.h>
#include <SDL_ttf.h>

#include <unordered_map>

#include "system/Errors.h"
#include "platform/sdl/Font.h"
#include "system/Image.h"
#include "system/TextCodec.h"

namespace {

constexpr size_t kTextCacheLimit = 64;

// Rendered rows: five rows are printed every 15 ms and mostly unchanged, so they are kept.
SDL_Surface* RenderedText(const std::string& utf8) {
    // Never destroyed: the rows stay reachable until the process ends, so a leak checker run at
    // exit does not count them.
    static auto& cache = *new std::unordered_map<std::string, SDL_Surface*>;
    auto cached = cache.find(utf8);
    if (cached != cache.end()) return cached->second;
    if (cache.size() >= kTextCacheLimit) {
        for (auto& entry : cache) SDL_FreeSurface(entry.second);
        cache.clear();
    }
    SDL_Surface* rendered = TTF_RenderUTF8_Solid(JapaneseFont(), utf8.c_str(), SDL_Color{255, 255, 255, 255});
    cache.emplace(utf8, rendered);
    return rendered;
}

class SdlImage : public Image {
public:
    explicit SdlImage(SDL_Surface* s) : surface(s) {
        width = s->w;
        height = s->h;
        stride = s->pitch / 4;
        pixels = static_cast<uint32_t*>(s->pixels);
    }
    ~SdlImage() override { SDL_FreeSurface(surface); }

    void Print(int x, int y, std::u32string_view text, const ImageRect& clip) override {
        const std::string utf8 = ToUtf8(text);
        if (utf8.empty()) return;
        SDL_Surface* rendered = RenderedText(utf8);
        if (rendered == nullptr) return;
        const SDL_Rect within{clip.x, clip.y, clip.w, clip.h};
        SDL_SetClipRect(surface, &within);  // and the surface's edges, which it keeps to anyway
        SDL_Rect at{x, y, rendered->w, rendered->h};
        SDL_BlitSurface(rendered, nullptr, surface, &at);
        SDL_SetClipRect(surface, nullptr);
    }

    int TextWidth(std::u32string_view text) override {
        const std::string utf8 = ToUtf8(text);
        int w = 0, h = 0;
        if (utf8.empty() || TTF_SizeUTF8(JapaneseFont(), utf8.c_str(), &w, &h) != 0) return 0;
        return w;
    }

    SDL_Surface* const surface;
};

}  // namespace

std::unique_ptr<Image> NewImage(int width, int height) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
    if (surface == nullptr) throw RunTimeError(std::string("Out of memory for the picture area: ") + SDL_GetError());
    SDL_FillRect(surface, nullptr, 0);
    return std::make_unique<SdlImage>(surface);
}

std::unique_ptr<Image> DecodeBitmap(std::string_view bytes, std::string& why) {
    SDL_Surface* bitmap = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (bitmap == nullptr) {
        why = SDL_GetError();
        return nullptr;
    }
    auto image = NewImage(bitmap->w, bitmap->h);
    // A picture is copied as it is: an alpha channel in a 32-bit file is not a transparency.
    SDL_SetSurfaceBlendMode(bitmap, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(bitmap, nullptr, static_cast<SdlImage&>(*image).surface, nullptr);
    SDL_FreeSurface(bitmap);
    return image;
}

SDL_Surface* SurfaceOf(const Image& image) { return static_cast<const SdlImage&>(image).surface; }
