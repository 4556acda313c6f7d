#include "window/Icon.h"

#include <cstdint>
#include <initializer_list>

namespace {

enum : uint8_t { kNight, kMoon, kBox, kEdge, kInk, kStar, kColours };

const uint32_t kPalette[kColours] = {
    0x101430,  // night sky
    0xFAE28C,  // moon
    0x000080,  // message box
    0xC0C0C0,  // its edge
    0xFFFFFF,  // text
    0xAAB4E6,  // stars
};

struct Point {
    int x, y;
};

}  // namespace

std::unique_ptr<Image> WindowIcon() {
    std::unique_ptr<Image> icon = NewImage(32, 32);
    auto put = [&](int x, int y, uint8_t colour) { icon->Row(y)[x] = kPalette[colour]; };
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            uint8_t colour = kNight;
            const int dx = x - 21, dy = y - 8;
            const int ex = x - 24, ey = y - 6;  // the shadow that makes the moon a crescent
            if (dx * dx + dy * dy <= 36 && ex * ex + ey * ey > 30) colour = kMoon;
            if (y >= 19 && y <= 29 && x >= 1 && x <= 30)
                colour = (y == 19 || y == 29 || x == 1 || x == 30) ? kEdge : kBox;
            put(x, y, colour);
        }
    }
    for (const auto& star : {Point{5, 4}, Point{11, 9}, Point{3, 13}, Point{14, 3}})
        put(star.x, star.y, kStar);
    for (int x = 4; x <= 22; x += 3) put(x, 23, kInk), put(x + 1, 23, kInk);   // a row of text
    for (int x = 4; x <= 13; x += 3) put(x, 26, kInk), put(x + 1, 26, kInk);   // a shorter one
    put(16, 26, kInk);                                                      // and the page cursor
    put(15, 27, kInk), put(16, 27, kInk), put(17, 27, kInk);
    return icon;
}
