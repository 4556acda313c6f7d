#pragma once
// Where everything in our message box goes: the text in lines, the box's size, the OK button.
// Plain arithmetic on a measuring function, so it can be worked out (and tried) without a
// display. Every size is a multiple of one scale number, so a larger box is the same box.
#include <functional>
#include <string>
#include <vector>

struct BoxRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// Measures the width in pixels of a line of UTF-8 text.
using TextWidth = std::function<int(const std::string&)>;

struct MessageBoxLayout {
    int fontPixels = 0;  // the font's size for this scale
    int width = 0, height = 0;  // the client area
    std::vector<std::string> lines;
    int textLeft = 0, textTop = 0, lineHeight = 0;
    BoxRect button;
};

// The font size the box is laid out for at a scale.
int MessageBoxFontPixels(int scale);

// Splits text at its newlines, and a line wider than maxWidth at its last space or slash that
// fits (or, with none, between characters). No line comes out empty-handed: every character is
// kept, in order.
std::vector<std::string> WrapText(const std::string& text, int maxWidth, const TextWidth& measure);

MessageBoxLayout LayOutMessageBox(const std::string& text, int scale, const TextWidth& measure);

// The top-left corner that centres a width x height window over owner, moved inside screen
// where it would stick out.
BoxRect CentreOver(const BoxRect& owner, int width, int height, const BoxRect& screen);
