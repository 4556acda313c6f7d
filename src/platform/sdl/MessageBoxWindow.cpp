#include "platform/sdl/MessageBoxWindow.h"

#include <SDL_ttf.h>

#include <algorithm>

#include "system/Errors.h"
#include "platform/sdl/Font.h"

namespace {

constexpr SDL_Color kFace{236, 236, 236, 255};
constexpr SDL_Color kInk{0, 0, 0, 255};
constexpr SDL_Color kButtonFace{250, 250, 250, 255};
constexpr SDL_Color kButtonPressed{208, 208, 208, 255};
constexpr SDL_Color kButtonEdge{96, 96, 96, 255};
constexpr SDL_Color kBoxEdge{128, 128, 128, 255};  // tells the box from a light picture without a frame
constexpr int kFocusInset = 3;

Uint32 Mapped(SDL_Surface* surface, SDL_Color c) { return SDL_MapRGB(surface->format, c.r, c.g, c.b); }

void Fill(SDL_Surface* surface, int x, int y, int w, int h, SDL_Color c) {
    SDL_Rect r{x, y, w, h};
    SDL_FillRect(surface, &r, Mapped(surface, c));
}

void Outline(SDL_Surface* surface, const BoxRect& r, SDL_Color c) {
    Fill(surface, r.x, r.y, r.w, 1, c);
    Fill(surface, r.x, r.y + r.h - 1, r.w, 1, c);
    Fill(surface, r.x, r.y, 1, r.h, c);
    Fill(surface, r.x + r.w - 1, r.y, 1, r.h, c);
}

// The focus outline: every other pixel, as desktop toolkits mark the button Return presses.
void DottedOutline(SDL_Surface* surface, const BoxRect& r, SDL_Color c) {
    for (int x = r.x; x < r.x + r.w; x += 2) {
        Fill(surface, x, r.y, 1, 1, c);
        Fill(surface, x, r.y + r.h - 1, 1, 1, c);
    }
    for (int y = r.y; y < r.y + r.h; y += 2) {
        Fill(surface, r.x, y, 1, 1, c);
        Fill(surface, r.x + r.w - 1, y, 1, 1, c);
    }
}

void Print(SDL_Surface* surface, TTF_Font* font, const std::string& line, int x, int y) {
    if (line.empty()) return;
    SDL_Surface* ink = TTF_RenderUTF8_Solid(font, line.c_str(), kInk);
    if (ink == nullptr) return;
    SDL_Rect at{x, y, 0, 0};
    SDL_BlitSurface(ink, nullptr, surface, &at);
    SDL_FreeSurface(ink);
}

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
    const MessageBoxLayout& layout = box.layout;
    TTF_Font* font = JapaneseFontOfSize(layout.fontPixels);  // opened when the box was
    const int scale = layout.fontPixels / MessageBoxFontPixels(1);
    Fill(surface, 0, 0, surface->w, surface->h, kFace);
    Outline(surface, {0, 0, surface->w, surface->h}, kBoxEdge);
    for (size_t i = 0; i < layout.lines.size(); ++i)
        Print(surface, font, layout.lines[i], layout.textLeft,
              layout.textTop + static_cast<int>(i) * layout.lineHeight);

    const BoxRect& b = layout.button;
    Fill(surface, b.x, b.y, b.w, b.h, box.buttonDown ? kButtonPressed : kButtonFace);
    for (int i = 0; i < scale; ++i) Outline(surface, {b.x + i, b.y + i, b.w - 2 * i, b.h - 2 * i}, kButtonEdge);
    const int inset = kFocusInset * scale;
    DottedOutline(surface, {b.x + inset, b.y + inset, b.w - 2 * inset, b.h - 2 * inset}, kInk);
    const int press = box.buttonDown ? scale : 0;  // a pressed button's label sinks a little
    Print(surface, font, "OK", b.x + (b.w - Width(font, "OK")) / 2 + press,
          b.y + (b.h - TTF_FontHeight(font)) / 2 + press);
    SDL_UpdateWindowSurface(box.window);
}
