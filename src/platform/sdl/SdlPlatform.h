#pragma once
// The real machine, on SDL2: one window with a software surface, keys from its events, sleeps
// that wake on window events, our own message box, the audio back end for music and effects
// (whose device opens at the first sound the story asks for and mixes only while one sounds), and
// the files, pictures and process of a POSIX system.
#include <SDL.h>

#include <chrono>

#include "system/Platform.h"
#include "system/ReaderInput.h"
#include "platform/sdl/SdlWindowPresenter.h"
#include "system/Scaling.h"

class SdlPlatform : public Platform {
public:
    // Starts SDL's video; on failure Error() says why.
    SdlPlatform();
    ~SdlPlatform() override;
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

private:
    void Paint(const ImageRect* changed = nullptr);
    void ForgetKeys();
    void AfterSoundCommand();
    void ToggleFullscreen();
    // The window events after which SDL may give the window a new surface, and what is forgotten
    // then: nothing painted before is known to be on the surface painted next.
    static bool SurfaceMayChange(Uint8 windowEvent);
    void ForgetSurface();
    int ShownScale() const;  // the message boxes are drawn as much larger as the image is
    // Where a point of the window lies on the image; false when outside it.
    bool ToImage(int windowX, int windowY, ImagePoint& at) const;
    void NoteFocus(Uint8 windowEvent);

    std::string error;
    SDL_Window* window = nullptr;
    const Image* shown = nullptr;  // the last image put on screen, repainted when uncovered
    WindowPresenter presenter;
    std::chrono::steady_clock::time_point start;  // the clock's zero
    bool closeRequested = false;
    // The last pump of the window system's events, and whether a sleep has come since.
    int64_t pumpedAt = -1;
    bool sleptSincePump = true;
    bool audioOpened = false;

    ScreenMode screenMode;
    int windowScale = 1;     // the scale of the window when it is not fullscreen
    bool fullscreen = false;
    SDL_Rect windowedPlace{0, 0, 0, 0};  // where the window was before it went fullscreen
    bool fullscreenByHand = false;  // no window manager: the window covered the screen itself
    Placement placed;        // where the image lay when it was last painted
    SDL_Surface* paintedOn = nullptr;  // the window surface it was painted on, and its size
    void* paintedPixels = nullptr;
    SDL_Rect paintedSize{0, 0, 0, 0};
    ReaderInput input;  // what the reader's keys and clicks mean
};
