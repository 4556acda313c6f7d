#pragma once
// The browser machine: the same interpreter and drawing, with the page (web/tessaro-page.js) as
// its window. The client image goes onto a canvas, keys and pointer come from the page's events,
// every wait sleeps in the browser's event loop (the program is built with Asyncify), the story's
// files are in the in-memory file system the page filled from its manifest before the start, the
// music goes to the page's synthesizer and the effects to its Web Audio decoder.
#include <string>

#include "system/Platform.h"
#include "system/Scaling.h"

class WebPlatform : public Platform {
public:
    WebPlatform();

    TESSARO_PLATFORM_METHODS

private:
    std::string error;
    double start = 0;
};

// Tells the page the story has ended (status as the desktop program would exit with): it shows
// that, and offers to start again.
void WebStoryEnded(int status);
