#pragma once
// The picture area: a 300 x 300 persistent image inside a 2-pixel sunken border. Every drawing
// operation paints into the image; the window shows it the next time messages are pumped, or at
// once on Refresh. A background picture lies under everything drawn at run time.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "system/Image.h"

// The two colours of the classic 16-colour palette that the program uses.
enum CrtColour : int { kDarkBlue = 1, kLightGrey = 7 };
uint32_t PaletteColour(int colour);  // 0xRRGGBB

// What Print shows of a row: a tab as a space, other control characters as nothing.
std::u32string Printable(std::u32string_view text);

// The sunken border's width: the drawable image's (0, 0) is the client image's (2, 2).
constexpr int kCrtBorder = 2;

struct PictureArea {
    int CurrentX = 0;
    int CurrentY = 0;

    // Sets the drawable size, opens the font and clears the image to black (no picture).
    void Open(int width, int height);

    void LineFill(int x1, int y1, int x2, int y2, int colour);
    void LineOutline(int x1, int y1, int x2, int y2, int colour);
    void Print(std::u32string_view text);
    int TextWidth(std::u32string_view text);
    void Cls();
    void Refresh();
    // Makes bitmap the background picture, at the top-left, unscaled; the image starts again
    // from it.
    void Picture(const Image& bitmap);

    // Shows the image if anything was drawn since it was last shown.
    void ShowIfChanged();

    // Off, drawing is not even noted (a picture still becomes the background): the authors' runs
    // without a window type rows of any length at the cost of the characters alone. On again, the
    // area starts from its background, shown whole at the next Refresh.
    void SetDrawing(bool on);

    // The small mark in the top-right corner while the sound is muted, over everything drawn;
    // taken away, the picture under it comes back. Shown at the next Refresh.
    void ShowMuteMark(bool on);

    // A short note to the reader in the top-left corner (the new volume, say), over everything
    // drawn, until the clock reaches until: dimmed for its last moments, then gone, the picture
    // under it back. A new note takes the place of the one showing.
    void ShowNote(std::u32string_view text, int64_t until);
    // When the note next changes (dims or goes), on the platform clock; the largest value when
    // there is none. The window's timers run ExpireNote then.
    int64_t NoteDue() const;
    void ExpireNote(int64_t now);

    // While the backlog is in front of the picture, what changes under it (a note that fades) is
    // not shown over it; uncovered, the next Refresh shows the picture as it has become.
    void Cover(bool on);

    // The whole client image as the window last showed it (the border and the drawable image
    // inside): the backlog draws over a copy of it.
    const Image& Client() const { return *client; }

private:
    friend struct PictureAreaProbe;  // the tests' look at the pixels (tests/support/Probes.h)

    // Drawing is noted, and painted into the image only when the image is shown or looked at.
    // Every operation sets pixels to values fixed by its arguments, so painting the same list of
    // operations twice in a row changes nothing: a waiting loop that redraws the same box twenty
    // times a second costs no painting and sends nothing to the window.
    struct Operation {
        enum Kind { Fill, Text, Clear } kind;
        int x, y, w, h;
        uint32_t colour;
        std::u32string text;  // for Text
        bool operator==(const Operation&) const = default;
    };
    static constexpr int kTextReach = 24;  // pixels below a row's top that its glyphs may paint
    static constexpr size_t kWidthCacheLimit = 64;
    void Note(Operation operation);
    void NoteMuteMark();
    void NoteReaderNote();
    void Paint();
    ImageRect Reach(const Operation& operation);
    void PaintOperation(const Operation& operation, const ImageRect& clip);

    std::unique_ptr<Image> image;
    std::unique_ptr<Image> background;  // black with the picture, what Cls returns to
    std::unique_ptr<Image> client;
    std::vector<Operation> noted;    // drawn since the last painting
    std::vector<Operation> painted;  // what the last painting did
    ImageRect unshown{};             // in client coordinates: painted but not yet on the window
    bool shownOnce = false;
    std::unordered_map<std::u32string, int> widthCache;
    bool muteMark = false;
    bool muteMarkChanged = false;
    std::u32string note;         // the reader's note, empty when none shows
    int64_t noteUntil = 0;
    bool noteDimmed = false;
    bool covered = false;
    bool noteChanged = false;
    ImageRect noteShown{};       // where the note lies (or lay)
    bool drawing = true;
};

extern PictureArea Crt;
