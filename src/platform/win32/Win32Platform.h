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
    // Windows always has a display: Error() is empty.
    const std::string& Error() const override { return error; }
    void SetScreenMode(const ScreenMode& mode) override { screenMode = mode; }

    int64_t Clock() override;
    std::string OpenWindow(const std::string& caption, int clientWidth, int clientHeight,
                           const Image* icon) override;
    bool PumpMessages() override;
    void SleepUntil(int64_t deadline) override;
    bool KeyHit(Key key) override;
    bool SkipHeld() override;
    bool PointerMoved(int& x, int& y) override;
    void ShowImage(const Image& clientImage, const ImageRect* changed = nullptr) override;
    bool MessageBox(const std::string& caption, const std::string& text,
                    WhileOpen whileOpen = nullptr) override;
    std::string MciSendString(const std::string& command) override;
    void SndPlaySound(const std::string& path) override;
    std::string FindFile(const std::string& windowsPath) override;
    std::string ReadFile(const std::string& windowsPath) override;
    std::unique_ptr<Image> LoadPicture(const std::string& windowsPath) override;
    std::string ProgramFolder(const char* argv0) override;
    void SetVolume(int percent) override;
    void TrimMemory() override;

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
