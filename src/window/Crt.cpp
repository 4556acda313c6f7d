#include "window/Crt.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "system/Platform.h"

PictureArea Crt;

namespace {

// The sunken edge: dark outside top and left, light outside bottom and right, and a second,
// darker pair inside.
void DrawSunkenBorder(Image& image) {
    const int w = image.Width(), h = image.Height();
    FillImage(image, 0, 0, w, 1, 0x808080);
    FillImage(image, 0, 0, 1, h, 0x808080);
    FillImage(image, 0, h - 1, w, 1, 0xFFFFFF);
    FillImage(image, w - 1, 0, 1, h, 0xFFFFFF);
    FillImage(image, 1, 1, w - 2, 1, 0x000000);
    FillImage(image, 1, 1, 1, h - 2, 0x000000);
    FillImage(image, 1, h - 2, w - 2, 1, 0xC0C0C0);
    FillImage(image, w - 2, 1, 1, h - 2, 0xC0C0C0);
}

// The smallest rectangle of the client image that holds every pixel of the area (in client
// coordinates) in which the image differs from what the client image holds; false when none.
bool DifferingPart(const Image& image, const Image& client, const ImageRect& area, ImageRect& part) {
    const auto now = [&](int y) { return image.Row(y - kCrtBorder) + (area.x - kCrtBorder); };
    const auto before = [&](int y) { return client.Row(y) + area.x; };
    const size_t rowBytes = size_t(area.w) * 4;
    int top = area.y, bottom = area.y + area.h - 1;
    while (top <= bottom && std::memcmp(now(top), before(top), rowBytes) == 0) ++top;
    if (top > bottom) return false;
    while (std::memcmp(now(bottom), before(bottom), rowBytes) == 0) --bottom;
    int left = area.w, right = -1;
    for (int y = top; y <= bottom; ++y) {
        const uint32_t* a = now(y);
        const uint32_t* b = before(y);
        for (int x = 0; x < left; ++x)
            if (a[x] != b[x]) left = x;
        for (int x = area.w - 1; x > right; --x)
            if (a[x] != b[x]) right = x;
    }
    part = ImageRect{area.x + left, top, right - left + 1, bottom - top + 1};
    return true;
}

// Copies the rectangle `part` of `from` to the same size of `to`, moved by (dx, dy).
void CopyPart(const Image& from, const ImageRect& part, Image& to, int dx, int dy) {
    for (int y = part.y; y < part.y + part.h; ++y)
        std::memcpy(to.Row(y + dy) + (part.x + dx), from.Row(y) + part.x, sizeof(uint32_t) * size_t(part.w));
}

// The part of a that lies in b.
ImageRect Intersection(const ImageRect& a, const ImageRect& b) {
    const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    return right > left && bottom > top ? ImageRect{left, top, right - left, bottom - top} : ImageRect{};
}

// The smallest rectangle that holds both (either may be empty).
ImageRect Union(const ImageRect& a, const ImageRect& b) {
    if (a.w <= 0 || a.h <= 0) return b;
    if (b.w <= 0 || b.h <= 0) return a;
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
    return ImageRect{left, top, right - left, bottom - top};
}

}  // namespace

uint32_t PaletteColour(int colour) {
    switch (colour) {
    case kDarkBlue:
        return 0x000080;
    case kLightGrey:
        return 0xC0C0C0;
    default:
        return 0x000000;
    }
}

std::u32string Printable(std::u32string_view text) {
    std::u32string shown;
    shown.reserve(text.size());
    for (char32_t c : text) {
        if (c == U'\t') shown.push_back(U' ');
        else if (c >= 0x20 && c != 0x7F) shown.push_back(c);
    }
    return shown;
}

void PictureArea::Open(int width, int height) {
    if (image == nullptr || image->Width() != width || image->Height() != height) {
        image = NewImage(width, height);
        background = NewImage(width, height);
        client = NewImage(width + 2 * kCrtBorder, height + 2 * kCrtBorder);
    }
    // The font is opened now, so that a missing one stops the program before the window opens.
    image->TextWidth(U"あ");
    FillImage(*background, 0, 0, width, height, 0);
    FillImage(*client, 0, 0, client->Width(), client->Height(), 0);
    DrawSunkenBorder(*client);
    noted.clear();
    painted.clear();
    unshown = ImageRect{};
    shownOnce = false;  // the first time, all of it, border and all
    note.clear();
    noteChanged = false;
    noteShown = ImageRect{};
    CurrentX = CurrentY = 0;
    Cls();
}

void PictureArea::SetDrawing(bool on) {
    const bool resumed = on && !drawing;
    drawing = on;
    if (!resumed) return;
    painted.clear();
    shownOnce = false;
    Cls();
}

void PictureArea::Note(Operation operation) {
    if (drawing) noted.push_back(std::move(operation));
}

void PictureArea::LineFill(int x1, int y1, int x2, int y2, int colour) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    Note({Operation::Fill, left, top, std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1, PaletteColour(colour), {}});
}

void PictureArea::LineOutline(int x1, int y1, int x2, int y2, int colour) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    const int right = std::max(x1, x2), bottom = std::max(y1, y2);
    const uint32_t rgb = PaletteColour(colour);
    Note({Operation::Fill, left, top, right - left + 1, 1, rgb, {}});
    Note({Operation::Fill, left, bottom, right - left + 1, 1, rgb, {}});
    Note({Operation::Fill, left, top, 1, bottom - top + 1, rgb, {}});
    Note({Operation::Fill, right, top, 1, bottom - top + 1, rgb, {}});
}

void PictureArea::Print(std::u32string_view text) {
    if (!drawing) return;
    std::u32string shown = Printable(text);
    if (!shown.empty()) Note({Operation::Text, CurrentX, CurrentY, 0, 0, 0, std::move(shown)});
}

int PictureArea::TextWidth(std::u32string_view text) {
    std::u32string shown = Printable(text);
    if (shown.empty()) return 0;
    if (image == nullptr) {
        // Text is measured before the area is opened too (the authors' checker has no window),
        // in the same font.
        static const std::unique_ptr<Image> measuring = NewImage(1, 1);
        return measuring->TextWidth(shown);
    }
    // The page wait measures the same row every other pass; shaping it each time costs more than
    // the rest of the pass.
    if (auto known = widthCache.find(shown); known != widthCache.end()) return known->second;
    const int width = image->TextWidth(shown);
    if (widthCache.size() >= kWidthCacheLimit) widthCache.clear();
    widthCache.emplace(std::move(shown), width);
    return width;
}

void PictureArea::Cls() { Note({Operation::Clear, 0, 0, image->Width(), image->Height(), 0, {}}); }

// The rectangle of the image that an operation may change.
ImageRect PictureArea::Reach(const Operation& operation) {
    if (operation.kind == Operation::Text)
        // No glyph of the font reaches further down than twice its size.
        return ImageRect{operation.x, operation.y, TextWidth(operation.text), kTextReach};
    return ImageRect{operation.x, operation.y, operation.w, operation.h};
}

// Paints the part of one operation that lies in clip.
void PictureArea::PaintOperation(const Operation& operation, const ImageRect& clip) {
    const ImageRect part = Intersection(Reach(operation), clip);
    if (part.w <= 0) return;
    switch (operation.kind) {
    case Operation::Fill:
        FillImage(*image, part.x, part.y, part.w, part.h, operation.colour);
        break;
    case Operation::Text:
        image->Print(operation.x, operation.y, operation.text, clip);
        break;
    case Operation::Clear:
        CopyPart(*background, part, *image, 0, 0);
        break;
    }
}

void PictureArea::Paint() {
    if (muteMarkChanged || (muteMark && !noted.empty())) NoteMuteMark();
    if (noteChanged || (!note.empty() && !noted.empty())) NoteReaderNote();
    if (noted.empty()) return;
    // Only where this list differs from the last one painted can a pixel change: every operation
    // sets its pixels to values fixed by its arguments, so where both lists run the same
    // operations in the same order, painting again gives what is there already. A waiting loop
    // that redraws the box with a blinking mark repaints the mark's few pixels.
    ImageRect changed{};
    for (size_t i = 0; i < std::max(noted.size(), painted.size()); ++i) {
        const bool before = i < painted.size(), now = i < noted.size();
        if (before && now && painted[i] == noted[i]) continue;
        if (before) changed = Union(changed, Reach(painted[i]));
        if (now) changed = Union(changed, Reach(noted[i]));
    }
    changed = Intersection(changed, ImageRect{0, 0, image->Width(), image->Height()});
    if (changed.w > 0) {
        for (const Operation& operation : noted) PaintOperation(operation, changed);
        unshown = Union(unshown, ImageRect{changed.x + kCrtBorder, changed.y + kCrtBorder, changed.w, changed.h});
    }
    painted.swap(noted);
    noted.clear();
}

void PictureArea::Refresh() {
    if (covered) return;
    Paint();
    // Of what was painted, only what differs from what the window was last given goes to it: a
    // typed character is a few pixels, and the window may be eight times larger. The first time,
    // all of it goes, border and all.
    ImageRect part{};
    const bool first = !shownOnce;
    const bool differs = unshown.w > 0 && DifferingPart(*image, *client, unshown, part);
    unshown = ImageRect{};
    if (!differs && !first) return;
    if (differs) {
        const ImageRect inImage{part.x - kCrtBorder, part.y - kCrtBorder, part.w, part.h};
        CopyPart(*image, inImage, *client, kCrtBorder, kCrtBorder);
    }
    shownOnce = true;
    System().ShowImage(*client, first ? nullptr : &part);
}

void PictureArea::ShowIfChanged() { Refresh(); }

void PictureArea::Cover(bool on) { covered = on; }

void PictureArea::Picture(const Image& bitmap) {
    Paint();
    FillImage(*background, 0, 0, background->Width(), background->Height(), 0);
    CopyImage(bitmap, *background, 0, 0);
    painted.clear();  // a clearing now paints other pixels than the last one did
    Cls();
}

// The mute mark: noted last, so that it lies over whatever else is drawn.
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

// The reader's note in the picture area's top-left corner: noted last, with the mute mark, so that
// it lies over whatever else is drawn; it dims for its last moments, then the picture comes back.
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
    // Behind the backlog the note waits: it dims and goes once the picture is in front again.
    if (covered || (note.empty() && !noteChanged)) return std::numeric_limits<int64_t>::max();
    return noteDimmed ? noteUntil : noteUntil - kDimMs;
}

void PictureArea::ExpireNote(int64_t now) {
    if (covered || note.empty() || now < NoteDue()) return;
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
