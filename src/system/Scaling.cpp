#include "system/Scaling.h"

#include <algorithm>
#include <cstdio>

int LargestScaleThatFits(int width, int height, int room, int roomHeight, int most) {
    if (width <= 0 || height <= 0) return 1;
    return std::clamp(std::min(room / width, roomHeight / height), 1, std::max(1, most));
}

bool WindowToImage(const Placement& placement, int imageWidth, int imageHeight, int& x, int& y) {
    const int n = std::max(1, placement.scale);
    const int dx = x - placement.x, dy = y - placement.y;
    if (dx < 0 || dy < 0) return false;
    x = dx / n;
    y = dy / n;
    return x < imageWidth && y < imageHeight;
}

int WindowScale(const ScreenMode& mode, int width, int height, const DesktopRoom& room) {
    const int asked = std::clamp(mode.scale, 1, kLargestScale);
    if (!room.known) return asked;
    if (mode.autoScale)
        return LargestScaleThatFits(width, height, room.width * 85 / 100, room.height * 85 / 100, kLargestScale);
    if (asked == 1) return asked;
    const int fits = LargestScaleThatFits(width, height, room.width, room.height, asked);
    if (fits < asked)
        std::fprintf(stderr, "tessaro: --scale %d does not fit the desktop (%d x %d); showing at %d\n", asked,
                     room.width, room.height, fits);
    return fits;
}

Placement PlaceImage(int width, int height, int surfaceWidth, int surfaceHeight, int windowScale, bool fullscreen) {
    Placement at;
    at.scale = LargestScaleThatFits(width, height, surfaceWidth, surfaceHeight, fullscreen ? surfaceWidth : windowScale);
    at.x = std::max(0, (surfaceWidth - width * at.scale) / 2);
    at.y = std::max(0, (surfaceHeight - height * at.scale) / 2);
    return at;
}
