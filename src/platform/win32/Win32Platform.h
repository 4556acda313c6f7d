#pragma once
// The real machine on Windows, used directly: a plain window with a fixed frame that shows the
// picture area's image, keys from its messages, the multimedia clock,
// MessageBoxW, MCI command strings for the music and PlaySoundW for sound effects.
#include <windows.h>
// Windows names MessageBoxA or MessageBoxW with this; here it is the machine's own operation.
#undef MessageBox

#include <cstdio>
#include <string>

#include "system/Platform.h"
#include "system/ReaderInput.h"
#include "system/Scaling.h"

class Win32Platform : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;
    TESSARO_PLATFORM_METHODS
    char KeptSeparator() const override { return '\\'; }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint(HDC target, const ImageRect* changed = nullptr);
    void ForgetKeys();
    void ToggleFullscreen();
    // Where a point of the client area (a mouse message's lParam) lies on the image.
    bool ToImage(LPARAM position, ImagePoint& at) const;
    void Click(UINT press, LPARAM position);  // WM_LBUTTONDOWN or WM_RBUTTONDOWN, where
    void MediaTrace(const std::string& line);

    std::string error;
    HWND window = nullptr;
    HICON icon = nullptr;
    const Image* shown = nullptr;  // the last image put on screen, repainted when uncovered
    uint32_t lastTick = 0;
    int64_t elapsed = 0;
    bool closeRequested = false;

    ScreenMode screenMode;
    int windowScale = 1;  // the scale of the window when it is not fullscreen
    bool fullscreen = false;
    WINDOWPLACEMENT windowedPlace{};  // where the window was before it went fullscreen
    int placedX = 0, placedY = 0, placedScale = 1;  // where the image lies in the client area
    ReaderInput input;  // what the reader's keys and clicks mean
    FILE* trace = nullptr;  // what was sent to the music and sound services, when asked for
    std::string playingSound;  // the wave file last handed to PlaySoundW, which plays from it
};
