#pragma once
// Puts part of a client image (32-bit XRGB, the window's size) on the window, handing it to the
// window system without waiting for it to be done: under X11 the image goes straight to the X
// server, and the program does not stop for a round trip every time it shows a frame. Elsewhere
// it goes through SDL's window surface.
struct SDL_Rect;
struct SDL_Surface;
struct SDL_Window;

class WindowPresenter {
public:
    ~WindowPresenter() { Disconnect(); }
    // Shows area of image (all of it when area is null) on window.
    void Present(SDL_Window* window, SDL_Surface* image, const SDL_Rect* area);
    // Lets go of the window system's resources; before the window or the display closes.
    void Disconnect();

private:
    void Connect(SDL_Window* window);
    void DropX11();
    void PresentThroughSdl(SDL_Window* window, SDL_Surface* image, const SDL_Rect* area);

    SDL_Window* connected = nullptr;
    struct X11;
    X11* x11 = nullptr;  // null when the window is not an X11 one we can draw into directly
    SDL_Surface* surfaceFilled = nullptr;  // SDL's window surface, once it holds our image
};
