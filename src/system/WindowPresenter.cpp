#include "system/WindowPresenter.h"

#include <SDL.h>
#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#endif

namespace {

// The frame that SDL's own path puts on the window ends in a round trip to the X server; the
// program then sleeps until the server has drawn it, one more wakeup for every frame.
SDL_Rect Whole(SDL_Surface* image) { return SDL_Rect{0, 0, image->w, image->h}; }

}  // namespace

#if defined(SDL_VIDEO_DRIVER_X11)
struct WindowPresenter::X11 {
    Display* display;
    Window window;
    GC gc;
    XImage* image = nullptr;  // wraps the pixels of `pixels`, does not own them
    SDL_Surface* pixels = nullptr;

    void ForgetImage() {
        if (image == nullptr) return;
        image->data = nullptr;  // the pixels are the surface's
        XDestroyImage(image);
        image = nullptr;
        pixels = nullptr;
    }
};
#else
struct WindowPresenter::X11 {};
#endif

void WindowPresenter::DropX11() {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (x11 != nullptr) {
        x11->ForgetImage();
        XFreeGC(x11->display, x11->gc);
    }
#endif
    delete x11;
    x11 = nullptr;
}

void WindowPresenter::Disconnect() {
    DropX11();
    connected = nullptr;
    surfaceFilled = nullptr;
}

void WindowPresenter::Connect(SDL_Window* window) {
    Disconnect();
    connected = window;
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, info.info.x11.window, &attributes) == 0) return;
    // Our pixels are 32-bit XRGB; only a visual that takes them as they are is drawn directly.
    const Visual* visual = attributes.visual;
    if (attributes.depth != 24 || visual->red_mask != 0xFF0000 || visual->green_mask != 0x00FF00 ||
        visual->blue_mask != 0x0000FF)
        return;
    x11 = new X11{display, info.info.x11.window, XCreateGC(display, info.info.x11.window, 0, nullptr)};
#endif
}

void WindowPresenter::Present(SDL_Window* window, SDL_Surface* image, const SDL_Rect* area) {
    if (window != connected) Connect(window);
#if defined(SDL_VIDEO_DRIVER_X11)
    if (x11 != nullptr) {
        if (x11->pixels != image) {
            x11->ForgetImage();
            x11->image = XCreateImage(x11->display, nullptr, 24, ZPixmap, 0, static_cast<char*>(image->pixels),
                                      unsigned(image->w), unsigned(image->h), 32, image->pitch);
            if (x11->image == nullptr || x11->image->bits_per_pixel != 32) {
                // A server that packs its pixels otherwise is served by SDL's own path.
                DropX11();
                PresentThroughSdl(window, image, area);
                return;
            }
            x11->image->byte_order = SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst;
            x11->pixels = image;
        }
        const SDL_Rect part = area != nullptr ? *area : Whole(image);
        XPutImage(x11->display, x11->window, x11->gc, x11->image, part.x, part.y, part.x, part.y,
                  unsigned(part.w), unsigned(part.h));
        XFlush(x11->display);
        return;
    }
#endif
    PresentThroughSdl(window, image, area);
}

void WindowPresenter::PresentThroughSdl(SDL_Window* window, SDL_Surface* image, const SDL_Rect* area) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    if (surface != surfaceFilled) area = nullptr;  // a new surface holds nothing of ours yet
    surfaceFilled = surface;
    SDL_Rect part = area != nullptr ? *area : Whole(image);
    SDL_Rect to = part;
    SDL_BlitSurface(image, &part, surface, &to);
    SDL_UpdateWindowSurfaceRects(window, &part, 1);
}
