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

    // Empty: the page only starts the program once it can run.
    const std::string& Error() const override { return error; }
    // The page scales the canvas itself, to the browser window.
    void SetScreenMode(const ScreenMode&) override {}

    int64_t Clock() override;
    std::string OpenWindow(const std::string& caption, int clientWidth, int clientHeight,
                           const Image* icon) override;
    bool PumpMessages() override;
    void SleepUntil(int64_t deadline) override;
    bool KeyHit(Key key) override;
    bool SkipHeld() override;
    bool PointerMoved(int& x, int& y) override;
    bool TapHit(int& x, int& y) override;
    void ShowImage(const Image& clientImage, const ImageRect* changed = nullptr) override;
    bool MessageBox(const std::string& caption, const std::string& text,
                    WhileOpen whileOpen = nullptr) override;
    std::string MciSendString(const std::string& command) override;
    void SndPlaySound(const std::string& path) override;
    std::string FindFile(const std::string& windowsPath) override;
    std::string ReadFile(const std::string& windowsPath) override;
    std::unique_ptr<Image> LoadPicture(const std::string& windowsPath) override;
    std::string ProgramFolder(const char* argv0) override;
    // The gain of the page's sound, music and effects together.
    void SetVolume(int percent) override;
    void TrimMemory() override {}
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
