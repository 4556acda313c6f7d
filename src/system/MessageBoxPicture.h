#pragma once
// Our message box's pixels, drawn the same on every machine that draws the box itself: its face
// and edge, the lines of text, the OK button (raised or pressed) with its focus outline. The
// machine supplies only its face of the Japanese font, and shows the image.
#include <functional>
#include <string>

#include "system/Image.h"
#include "system/MessageBoxLayout.h"

// The font the box is written in, at the layout's size.
struct MessageBoxFont {
    TextWidth width;  // of a line of UTF-8 text
    int height = 0;   // of a line, for centring the button's label
    // Paints a line of UTF-8 text in black with its top-left corner at (x, y), unsmoothed.
    std::function<void(Image& image, int x, int y, const std::string& line)> print;
};

// Draws the box laid out by layout over the whole of image (the box's client area). Every size
// grows with the layout's scale.
void DrawMessageBox(Image& image, const MessageBoxLayout& layout, bool buttonDown, const MessageBoxFont& font);
