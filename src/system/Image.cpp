#include "system/Image.h"

#include <algorithm>
#include <cstring>

void CopyImage(const Image& source, Image& target, int x, int y) {
    const int left = std::max(0, -x), top = std::max(0, -y);
    const int right = std::min(source.Width(), target.Width() - x);
    const int bottom = std::min(source.Height(), target.Height() - y);
    if (right <= left) return;
    for (int row = top; row < bottom; ++row)
        std::memcpy(target.Row(row + y) + left + x, source.Row(row) + left,
                    sizeof(uint32_t) * static_cast<size_t>(right - left));
}

void FillImage(Image& target, int x, int y, int w, int h, uint32_t rgb) {
    const int left = std::max(0, x), top = std::max(0, y);
    const int right = std::min(target.Width(), x + w), bottom = std::min(target.Height(), y + h);
    for (int row = top; row < bottom; ++row) std::fill(target.Row(row) + left, target.Row(row) + std::max(left, right), rgb);
}
