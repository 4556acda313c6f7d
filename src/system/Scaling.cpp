#include "system/Scaling.h"

#include <algorithm>

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
