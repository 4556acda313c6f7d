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

// A point of the window (in its pixels) as a point of the client image; false when it lies
// outside the image.
bool WindowToImage(const Placement& placement, int imageWidth, int imageHeight, int& x, int& y);
