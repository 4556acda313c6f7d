// The picture area's mute mark: noted last, so that it lies over whatever else is drawn.
#include "window/Crt.h"

namespace {

constexpr std::u32string_view kMuteMark = U"♪×";
constexpr int kMarkTop = 4, kMarkRightGap = 4, kMarkPadding = 3, kMarkHeight = 17;

}  // namespace

void PictureArea::ShowMuteMark(bool on) {
    if (on == muteMark) return;
    muteMark = on;
    muteMarkChanged = true;
}

void PictureArea::NoteMuteMark() {
    const int width = TextWidth(kMuteMark) + 2 * kMarkPadding;
    const int left = image->Width() - kMarkRightGap - width;
    if (muteMark) {
        LineFill(left, kMarkTop, left + width - 1, kMarkTop + kMarkHeight - 1, kDarkBlue);
        LineOutline(left, kMarkTop, left + width - 1, kMarkTop + kMarkHeight - 1, kLightGrey);
        Note({Operation::Text, left + kMarkPadding, kMarkTop + 2, 0, 0, 0, std::u32string(kMuteMark)});
    } else {
        // Nothing the story draws reaches there but the picture: it is all that comes back.
        Note({Operation::Clear, left, kMarkTop, width, kMarkHeight, 0, {}});
    }
    muteMarkChanged = false;
}
