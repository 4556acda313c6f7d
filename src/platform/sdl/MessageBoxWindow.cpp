#include "platform/sdl/MessageBoxWindow.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <memory>

#include "system/Errors.h"
#include "system/MessageBoxPicture.h"
#include "platform/sdl/Font.h"
#include "platform/sdl/SdlImage.h"

namespace {

constexpr SDL_Color kInk{0, 0, 0, 255};

int Width(TTF_Font* font, const std::string& text) {
    int w = 0, h = 0;
    return TTF_SizeUTF8(font, text.c_str(), &w, &h) == 0 ? w : 0;
}

BoxRect RectOf(const SDL_Rect& r) { return {r.x, r.y, r.w, r.h}; }

}  // namespace

std::string OpenMessageBoxWindow(MessageBoxWindow& box, const std::string& caption,
                                 const std::string& text, SDL_Window* owner, int scale) {
    TTF_Font* font = nullptr;
    try {
        font = JapaneseFontOfSize(MessageBoxFontPixels(scale));
    } catch (const RunTimeError& error) {
        return error.what();
    }
    box.layout = LayOutMessageBox(text, scale, [font](const std::string& s) { return Width(font, s); });

    const int display = owner != nullptr ? std::max(0, SDL_GetWindowDisplayIndex(owner)) : 0;
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) SDL_GetDisplayBounds(display, &usable);
    BoxRect over = RectOf(usable);
    if (owner != nullptr) {
        SDL_GetWindowPosition(owner, &over.x, &over.y);
        SDL_GetWindowSize(owner, &over.w, &over.h);
    }
    const BoxRect at = CentreOver(over, box.layout.width, box.layout.height, RectOf(usable));
    box.window = SDL_CreateWindow(caption.c_str(), at.x, at.y, at.w, at.h, SDL_WINDOW_HIDDEN);
    if (box.window == nullptr) return std::string("Cannot open the message box: ") + SDL_GetError();
    // Transient for the story's window: a window manager keeps it above that one and treats it as
    // its dialogue (on X11 this is WM_TRANSIENT_FOR; elsewhere it may do nothing).
    if (owner != nullptr) SDL_SetWindowModalFor(box.window, owner);
    SDL_ShowWindow(box.window);
    SDL_RaiseWindow(box.window);
    // Without a window manager nobody hands out the focus, so the box takes it itself.
    SDL_SetWindowInputFocus(box.window);
    DrawMessageBoxWindow(box);
    return "";
}

void DrawMessageBoxWindow(const MessageBoxWindow& box) {
    if (box.window == nullptr) return;
    SDL_Surface* surface = SDL_GetWindowSurface(box.window);
    if (surface == nullptr) return;
    TTF_Font* font = JapaneseFontOfSize(box.layout.fontPixels);  // opened when the box was
    const MessageBoxFont face{
        [font](const std::string& s) { return Width(font, s); }, TTF_FontHeight(font),
        [font](Image& image, int x, int y, const std::string& line) {
            if (line.empty()) return;
            SDL_Surface* ink = TTF_RenderUTF8_Solid(font, line.c_str(), kInk);
            if (ink == nullptr) return;
            SDL_Rect at{x, y, 0, 0};
            SDL_BlitSurface(ink, nullptr, SurfaceOf(image), &at);
            SDL_FreeSurface(ink);
        }};
    std::unique_ptr<Image> image;
    try {
        image = NewImage(surface->w, surface->h);
    } catch (const RunTimeError&) {
        return;  // no memory for the box's pixels: it stays as it was
    }
    DrawMessageBox(*image, box.layout, box.buttonDown, face);
    SDL_BlitSurface(SurfaceOf(*image), nullptr, surface, nullptr);
    SDL_UpdateWindowSurface(box.window);
}
