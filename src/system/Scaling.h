#pragma once
// Putting the client image on screen larger: whole multiples only, every pixel a crisp N x N
// block. The image itself, the drawing and its measurements stay at 1x.

// How the window is shown: as the reader last chose it (the settings kept), or as the command line
// asks for one run.
struct ScreenMode {
    int scale = 1;            // 1 to 8
    bool autoScale = false;   // the largest scale whose window fits the desktop
    bool fullscreen = false;  // the whole screen, the image centred on black
};

constexpr int kLargestScale = 8;

// The largest whole scale, at least 1 and at most most, at which a width x height image fits
// into room x roomHeight.
int LargestScaleThatFits(int width, int height, int room, int roomHeight, int most);

// Where the client image lies on the window's surface.
struct Placement {
    int x = 0, y = 0;  // its top-left corner
    int scale = 1;
};

// The room a window may take: the desktop's usable part (without panels or the taskbar).
struct DesktopRoom {
    bool known = false;  // false where the machine cannot tell
    int width = 0, height = 0;
};

// The scale a window is made at for a width x height client image: the mode's (1 to
// kLargestScale), or with autoScale the largest whose window fits into 85% of the room, leaving
// some for the frame and the rest of the desktop. A scale asked for that the desktop cannot hold
// would put the window, and its boxes, off the screen: the largest that fits is taken instead,
// and standard error says so.
int WindowScale(const ScreenMode& mode, int width, int height, const DesktopRoom& room);

// Where a width x height image lies on a surface of surfaceWidth x surfaceHeight, centred:
// windowed at the scale the window was made for, fullscreen at the largest that fits.
Placement PlaceImage(int width, int height, int surfaceWidth, int surfaceHeight, int windowScale, bool fullscreen);

// A point of the window (in its pixels) as a point of the client image; false when it lies
// outside the image.
bool WindowToImage(const Placement& placement, int imageWidth, int imageHeight, int& x, int& y);
