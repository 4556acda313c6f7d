#include "platform/sdl/SdlWindowPresenter.h"

#include <SDL.h>
#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#endif

#if defined(SDL_VIDEO_DRIVER_X11)
struct WindowPresenter::X11 {
    Display* display;
    Window window;
    GC gc;
    // Wraps the surface's pixels without owning them. It is made for one block of pixels of one
    // size and pitch: SDL frees a window surface and its pixels when the window changes size, and
    // the new ones may come back at the very same addresses, so neither address alone says
    // whether the image still fits.
    XImage* image = nullptr;
    void* pixels = nullptr;
    int width = 0, height = 0, pitch = 0;

    bool Fits(const SDL_Surface* surface) const {
        return image != nullptr && surface->pixels == pixels && surface->w == width && surface->h == height &&
               surface->pitch == pitch;
    }

    void ForgetImage() {
        if (image == nullptr) return;
        image->data = nullptr;  // the pixels are the surface's
        XDestroyImage(image);
        image = nullptr;
        pixels = nullptr;
        width = height = pitch = 0;
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

void WindowPresenter::ForgetPixels() {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (x11 != nullptr) x11->ForgetImage();
#endif
}

void WindowPresenter::Disconnect() {
    DropX11();
    connected = nullptr;
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
    // Only a visual that takes 32-bit XRGB pixels as they are is drawn directly.
    const Visual* visual = attributes.visual;
    if (attributes.depth != 24 || visual->red_mask != 0xFF0000 || visual->green_mask != 0x00FF00 ||
        visual->blue_mask != 0x0000FF)
        return;
    x11 = new X11{display, info.info.x11.window, XCreateGC(display, info.info.x11.window, 0, nullptr)};
#endif
}

void WindowPresenter::Update(SDL_Window* window, SDL_Surface* surface, const SDL_Rect* area) {
    if (window != connected) Connect(window);
#if defined(SDL_VIDEO_DRIVER_X11)
    if (x11 != nullptr && surface->format->format == SDL_PIXELFORMAT_RGB888) {
        if (!x11->Fits(surface)) {  // SDL made a new surface (the window changed size)
            x11->ForgetImage();
            x11->image = XCreateImage(x11->display, nullptr, 24, ZPixmap, 0, static_cast<char*>(surface->pixels),
                                      unsigned(surface->w), unsigned(surface->h), 32, surface->pitch);
            if (x11->image != nullptr && x11->image->bits_per_pixel == 32) {
                x11->image->byte_order = SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst;
                x11->pixels = surface->pixels;
                x11->width = surface->w;
                x11->height = surface->h;
                x11->pitch = surface->pitch;
            } else {
                DropX11();  // a server that packs its pixels otherwise: SDL's way below
            }
        }
        if (x11 != nullptr) {
            const SDL_Rect part = area != nullptr ? *area : SDL_Rect{0, 0, surface->w, surface->h};
            XPutImage(x11->display, x11->window, x11->gc, x11->image, part.x, part.y, part.x, part.y,
                      unsigned(part.w), unsigned(part.h));
            XFlush(x11->display);
            return;
        }
    }
#endif
    if (area != nullptr) SDL_UpdateWindowSurfaceRects(window, area, 1);
    else SDL_UpdateWindowSurface(window);
}
