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
    // Kept in the page's storage, not in folders.
    bool ReadKept(Kept place, const std::string& name, std::string& bytes, std::string& why) override;
    std::string WriteKept(Kept place, const std::string& name, const std::string& bytes) override;
    std::string ForgetKept(Kept place, const std::string& name) override;
    bool TapHit(int& x, int& y) override;
    // A picture the page has not fetched yet is waited for.
    std::unique_ptr<Image> LoadPicture(const std::string& windowsPath) override;
    // Into the page's live region, which screen readers read as it changes.
    void Announce(const std::string& text) override;

private:
    // Sleeps while the page still fetches the story's file, at most boundMs.
    void AwaitStoryFile(const std::string& windowsPath, int64_t boundMs);

    std::string error;
    double start = 0;
};

// Tells the page the story has ended (status as the desktop program would exit with): it shows
// that, and offers to start again.
void WebStoryEnded(int status);
