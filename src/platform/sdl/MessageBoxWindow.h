#pragma once
// Our own message box: a second top-level window with the text and one OK button, drawn with
// the story's Japanese font, so it needs nothing of the desktop but the display itself.
#include <SDL.h>

#include <string>

#include "system/MessageBoxLayout.h"

struct MessageBoxWindow {
    SDL_Window* window = nullptr;
    MessageBoxLayout layout;
    bool buttonDown = false;  // the mouse was pressed on OK and is still held
};

// Opens the box, centred over owner (on the screen when owner is null), transient for it, with
// the keyboard focus. Returns an error text, empty on success.
std::string OpenMessageBoxWindow(MessageBoxWindow& box, const std::string& caption,
                                 const std::string& text, SDL_Window* owner, int scale);

void DrawMessageBoxWindow(const MessageBoxWindow& box);
