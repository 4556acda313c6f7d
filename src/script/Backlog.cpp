#include "script/Backlog.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "script/History.h"
#include "window/Crt.h"
#include "window/Pacing.h"

namespace {

// The panel covers the picture area inside a margin, in the message box's colours; its rows are
// the box's rows, one under the other.
constexpr int kMargin = 5;
constexpr int kFirstRowTop = 12;
constexpr int kVisibleRows = 18;
constexpr int kMoreMarkWidth = 14;  // room on the right for "▲" and "▼"

// The rows to read: the pages remembered, a blank row between two, then what the box shows now.
std::vector<std::u32string> BacklogRows(const RunState& state) {
    std::vector<std::u32string> rows;
    const auto addPage = [&](const std::u32string* page, size_t count) {
        while (count > 0 && page[count - 1].empty()) --count;
        if (count == 0) return;
        if (!rows.empty()) rows.emplace_back();
        rows.insert(rows.end(), page, page + count);
    };
    for (const HistoryPage& page : RememberedPages()) addPage(page.data(), page.size());
    if (QuestionShown()) {
        const bool first = state.ChoiceCursor != 30;  // the arrow's offset at the second answer
        const std::u32string question[3] = {state.ChoiceText[0], (first ? U"⇒" : U"　") + state.ChoiceText[1],
                                            (first ? U"　" : U"⇒") + state.ChoiceText[2]};
        addPage(question, 3);
    } else {
        addPage(state.TextLine, size_t(std::clamp<int>(state.TextRow + 1, 0, kRows)));
    }
    return rows;
}

// Draws the panel over a copy of what the window shows.
void DrawBacklog(Image& view, const std::vector<std::u32string>& rows, size_t top) {
    CopyImage(Crt.Client(), view, 0, 0);
    const int left = kCrtBorder + kMargin, upper = kCrtBorder + kMargin;
    const int right = view.Width() - kCrtBorder - kMargin, lower = view.Height() - kCrtBorder - kMargin;
    const uint32_t ink = PaletteColour(kLightGrey);
    FillImage(view, left, upper, right - left, lower - upper, PaletteColour(kDarkBlue));
    FillImage(view, left, upper, right - left, 1, ink);
    FillImage(view, left, lower - 1, right - left, 1, ink);
    FillImage(view, left, upper, 1, lower - upper, ink);
    FillImage(view, right - 1, upper, 1, lower - upper, ink);
    const ImageRect inside{left + 1, upper + 1, right - left - 2, lower - upper - 2};
    const ImageRect text{inside.x, inside.y, inside.w - kMoreMarkWidth, inside.h};
    const int textLeft = kCrtBorder + kTextLeft - kMargin, firstTop = kCrtBorder + kFirstRowTop;
    for (size_t i = top; i < rows.size() && i < top + kVisibleRows; ++i)
        view.Print(textLeft, firstTop + kRowPitch * int(i - top), Printable(rows[i]), text);
    const int markLeft = right - kMoreMarkWidth;
    if (top > 0) view.Print(markLeft, firstTop, U"▲", inside);
    if (top + kVisibleRows < rows.size()) view.Print(markLeft, firstTop + kRowPitch * (kVisibleRows - 1), U"▼", inside);
}

}  // namespace

void ShowBacklog(const RunState& state, BacklogStart start) {
    // Kept from one opening to the next: the window may still be painting from it.
    static std::unique_ptr<Image> view;
    const Image& client = Crt.Client();
    if (view == nullptr || view->Width() != client.Width() || view->Height() != client.Height())
        view = NewImage(client.Width(), client.Height());

    const std::vector<std::u32string> rows = BacklogRows(state);
    const size_t last = rows.size() > kVisibleRows ? rows.size() - kVisibleRows : 0;
    size_t top = start == BacklogStart::Top ? 0 : last;
    // Only what is pressed while it is open closes it: an Escape or a right click at a page wait
    // (where they do nothing), or a Space in a pause (which it does not pass), is still
    // remembered, and would close it at once. A Space still held closes it all the same.
    for (const Key key : {Key::Escape, Key::Space, Key::RightClick, Key::PageDown, Key::WheelDown}) KeyHit(key);
    int tapX = 0, tapY = 0;
    TapHit(tapX, tapY);  // a tap while a row typed, which nothing looked at, as a Space would be
    bool drawn = false;
    // The trace says when it opens and what closed it (the monkey tells a backlog that shows from
    // one that closed by itself).
    System().Trace("backlog-open");
    // Uncovered however it closes (a closed window ends the program from inside the loop); what
    // changed under it meanwhile is shown once it has gone.
    struct Covering {
        Covering() { Crt.Cover(true); }
        ~Covering() { Crt.Cover(false); }
    } covering;
    const char* closedBy = "backlog-closed:page-down";
    for (;;) {
        if (!drawn) {
            DrawBacklog(*view, rows, top);
            System().ShowImage(*view);
            drawn = true;
        }
        // Keys are read after each wakeup only: Up held down scrolls with its repeats, not as
        // fast as the loop can run.
        SleepUntilWoken(std::numeric_limits<int64_t>::max());
        DoEvents();
        const size_t before = top;
        // Each of the three is looked at (and so cleared), whichever closes it.
        int x = 0, y = 0;
        const bool escape = KeyHit(Key::Escape), space = KeyHit(Key::Space), rightClick = KeyHit(Key::RightClick),
                   tap = TapHit(x, y);  // a tap closes it, as Space does
        if (escape || space || rightClick || tap) {
            closedBy = escape ? "backlog-closed:escape" : space ? "backlog-closed:space"
                     : rightClick ? "backlog-closed:right-click" : "backlog-closed:tap";
            break;
        }
        if (KeyHit(Key::PageDown)) {
            if (top >= last) break;
            top = std::min(last, top + kVisibleRows);
        }
        // The wheel turned down at the end closes it, as PageDown does; before, it scrolls (Down).
        if (KeyHit(Key::WheelDown) && top >= last) {
            closedBy = "backlog-closed:wheel-down";
            break;
        }
        if (KeyHit(Key::PageUp)) top -= std::min(top, size_t(kVisibleRows));
        if (KeyHit(Key::Home)) top = 0;
        if (KeyHit(Key::Up) && top > 0) --top;
        if (KeyHit(Key::Down) && top < last) ++top;
        KeyHit(Key::WheelUp);  // the wheel scrolls here, as Up
        drawn = top == before;
    }
    // The key that closed it is not the story's: a Space still held would turn the page.
    while (KeyHit(Key::Space)) {
        SleepUntilWoken(std::numeric_limits<int64_t>::max());
        DoEvents();
    }
    for (const Key key : {Key::Up, Key::Down, Key::PageUp, Key::PageDown, Key::Home, Key::Escape,
                          Key::RightClick, Key::WheelUp, Key::WheelDown, Key::Mute})
        KeyHit(key);
    int x = 0, y = 0;
    PointerMoved(x, y);
    TapHit(x, y);
    System().ShowImage(Crt.Client());
    Crt.Cover(false);
    Crt.Refresh();
    System().Trace(closedBy);
}
