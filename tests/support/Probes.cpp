#include "support/Probes.h"

uint32_t PictureAreaProbe::PixelAt(PictureArea& area, int x, int y) {
    if (area.image == nullptr || x < 0 || y < 0 || x >= area.image->Width() || y >= area.image->Height()) return 0;
    area.Paint();
    return area.image->Row(y)[x] & 0xFFFFFF;
}
