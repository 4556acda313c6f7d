#pragma once
// The real machine, on SDL2: one window with a software surface, keys from its events, sleeps
// that wake on window events, our own message box, and the audio back end for music and effects.
#include <SDL.h>

#include "system/Platform.h"

class SdlPlatform : public Platform {
public:
    // Starts SDL's video; on failure Error() says why and nothing else may be used.
    SdlPlatform();
    ~SdlPlatform() override;
    const std::string& Error() const { return error; }
    // Opens the audio device and the synthesizer; done once the window is up, so that loading
    // the soundfont does not hold back the first frame.
    void StartAudio();

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

private:
    void Paint();
    void ForgetKeys();

    std::string error;
    SDL_Window* window = nullptr;
    SDL_Window* dismissedBox = nullptr;  // the last message box, hidden, destroyed at the end
    const Image* shown = nullptr;  // the last image put on screen, repainted when uncovered
    Uint64 start = 0;
    bool closeRequested = false;
    bool pressedSince[3] = {false, false, false};
};
