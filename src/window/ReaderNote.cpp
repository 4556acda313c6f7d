// The reader's note in the picture area's top-left corner: noted last, with the mute mark, so that
// it lies over whatever else is drawn; it dims for its last moments, then the picture comes back.
#include <algorithm>
#include <limits>

#include "window/Crt.h"

namespace {

constexpr int kNoteLeft = 4, kNoteTop = 4, kNotePadding = 3, kNoteHeight = 17;
constexpr int64_t kDimMs = 300;          // the note's last moments, dimmed
constexpr uint32_t kDimmedInk = 0x808080;  // the palette's dark grey

}  // namespace

void PictureArea::ShowNote(std::u32string_view text, int64_t until) {
    note = text;
    noteUntil = until;
    noteDimmed = false;
    noteChanged = true;
}

int64_t PictureArea::NoteDue() const {
    if (note.empty() && !noteChanged) return std::numeric_limits<int64_t>::max();
    return noteDimmed ? noteUntil : noteUntil - kDimMs;
}

void PictureArea::ExpireNote(int64_t now) {
    if (note.empty() || now < NoteDue()) return;
    if (!noteDimmed && now < noteUntil) {
        noteDimmed = true;
    } else {
        note.clear();
    }
    noteChanged = true;
    Refresh();
}

void PictureArea::NoteReaderNote() {
    // What the last note covered comes back first: a shorter note, or none, leaves nothing behind.
    if (noteShown.w > 0) Note({Operation::Clear, noteShown.x, noteShown.y, noteShown.w, noteShown.h, 0, {}});
    noteShown = ImageRect{};
    if (!note.empty()) {
        const int width = TextWidth(note) + 2 * kNotePadding;
        const int right = kNoteLeft + width - 1, bottom = kNoteTop + kNoteHeight - 1;
        LineFill(kNoteLeft, kNoteTop, right, bottom, kDarkBlue);
        if (noteDimmed) {
            Note({Operation::Fill, kNoteLeft, kNoteTop, width, 1, kDimmedInk, {}});
            Note({Operation::Fill, kNoteLeft, bottom, width, 1, kDimmedInk, {}});
            Note({Operation::Fill, kNoteLeft, kNoteTop, 1, kNoteHeight, kDimmedInk, {}});
            Note({Operation::Fill, right, kNoteTop, 1, kNoteHeight, kDimmedInk, {}});
        } else {
            LineOutline(kNoteLeft, kNoteTop, right, bottom, kLightGrey);
            Note({Operation::Text, kNoteLeft + kNotePadding, kNoteTop + 2, 0, 0, 0, note});
        }
        noteShown = ImageRect{kNoteLeft, kNoteTop, width, kNoteHeight};
    }
    noteChanged = false;
}
