#pragma once
// Hands what was painted on SDL's window surface to the window system without waiting for it to
// be drawn: under X11 the pixels go straight to the X server, and the program does not stop for
// a round trip every time it shows a frame (SDL's own update ends in one, a sleep and a wakeup
// more for every frame). Elsewhere SDL's own update does it.
struct SDL_Rect;
struct SDL_Surface;
struct SDL_Window;

class WindowPresenter {
public:
    ~WindowPresenter() { Disconnect(); }
    // The window's surface (from SDL_GetWindowSurface) has changed in area (everywhere when area
    // is null): shows that on the window.
    void Update(SDL_Window* window, SDL_Surface* surface, const SDL_Rect* area);
    // Forgets the window surface's pixels: the window's size or state changed, and SDL may free
    // them at any moment now. The next Update looks at the surface afresh.
    void ForgetPixels();
    // Lets go of the window system's resources; before the window or the display closes.
    void Disconnect();

private:
    void Connect(SDL_Window* window);
    void DropX11();

    SDL_Window* connected = nullptr;
    struct X11;
    X11* x11 = nullptr;  // null when the window is not an X11 one we can draw into directly
};
