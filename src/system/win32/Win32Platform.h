#pragma once
// The real machine on Windows, used directly: a plain window with a fixed frame that shows the
// picture area's image, keys from its messages and GetAsyncKeyState, the multimedia clock,
// MessageBoxW, MCI command strings for the music and PlaySoundW for sound effects.
#include <windows.h>
// Windows names MessageBoxA or MessageBoxW with this; here it is the machine's own operation.
#undef MessageBox

#include <cstdio>

#include "system/Platform.h"

class Win32Platform : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;
    // Windows always has a display; kept for the shape Main expects of a machine.
    const std::string& Error() const { return error; }
    // Windows opens its audio devices itself, when a sound first plays.
    void StartAudio() {}

    int64_t Clock() override;
    std::string OpenWindow(const std::string& caption, int clientWidth, int clientHeight,
                           const Image* icon) override;
    bool PumpMessages() override;
    void SleepUntil(int64_t deadline) override;
    bool KeyHit(Key key) override;
    void ShowImage(const Image& clientImage) override;
    bool MessageBox(const std::string& caption, const std::string& text,
                    WhileOpen whileOpen = nullptr) override;
    std::string MciSendString(const std::string& command) override;
    void SndPlaySound(const std::string& path) override;

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint(HDC target);
    void ForgetKeys();
    void Trace(const std::string& line);

    std::string error;
    HWND window = nullptr;
    HICON icon = nullptr;
    const Image* shown = nullptr;  // the last image put on screen, repainted when uncovered
    uint32_t lastTick = 0;
    int64_t elapsed = 0;
    bool closeRequested = false;
    bool pressedSince[3] = {false, false, false};
    FILE* trace = nullptr;  // what was sent to the music and sound services, when asked for
};
