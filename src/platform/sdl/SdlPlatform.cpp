#include "platform/sdl/SdlPlatform.h"

#include <algorithm>
#include <cstdio>

#include "platform/sdl/AudioOutput.h"
#include "platform/sdl/SdlAudioPause.h"
#include "platform/sdl/SdlEventWait.h"
#include "system/Files.h"
#include "platform/sdl/MessageBoxWindow.h"
#include "platform/sdl/MidiDevice.h"
#include "platform/sdl/SdlOutputVolume.h"
#include "system/Picture.h"
#include "platform/sdl/Process.h"
#include "platform/sdl/SdlImage.h"
#include "platform/sdl/SdlScaling.h"
#include "system/TraceFile.h"
#include "platform/sdl/WaveDevice.h"
#include "platform/sdl/SdlXlibErrors.h"

namespace {

constexpr int64_t kLongestWithoutPump = 250;

constexpr const char* kNoDisplay =
    "Cannot open the display: no X11 or Wayland display was found (is DISPLAY set?)";

// The reader's keys by their place on the keyboard; what they mean is system/ReaderInput's.
struct ScancodeRow {
    SDL_Scancode scancode;
    ReaderKey key;
};
constexpr ScancodeRow kScancodes[] = {
    {SDL_SCANCODE_SPACE, ReaderKey::Space},       {SDL_SCANCODE_RETURN, ReaderKey::Enter},
    {SDL_SCANCODE_KP_ENTER, ReaderKey::KeypadEnter}, {SDL_SCANCODE_UP, ReaderKey::Up},
    {SDL_SCANCODE_DOWN, ReaderKey::Down},         {SDL_SCANCODE_PAGEUP, ReaderKey::PageUp},
    {SDL_SCANCODE_PAGEDOWN, ReaderKey::PageDown}, {SDL_SCANCODE_HOME, ReaderKey::Home},
    {SDL_SCANCODE_ESCAPE, ReaderKey::Escape},     {SDL_SCANCODE_M, ReaderKey::M},
    {SDL_SCANCODE_F11, ReaderKey::F11},           {SDL_SCANCODE_LCTRL, ReaderKey::Ctrl},
    {SDL_SCANCODE_RCTRL, ReaderKey::Ctrl},
};

bool ReaderKeyOf(const SDL_Keysym& key, ReaderKey& readerKey) {
    for (const ScancodeRow& row : kScancodes)
        if (row.scancode == key.scancode) {
            readerKey = row.key;
            return true;
        }
    return false;
}

unsigned ModifiersOf(const SDL_Keysym& key) {
    return ((key.mod & KMOD_CTRL) != 0 ? kModCtrl : 0u) | ((key.mod & KMOD_ALT) != 0 ? kModAlt : 0u) |
           ((key.mod & KMOD_GUI) != 0 ? kModSuper : 0u);
}

}  // namespace

SdlPlatform::SdlPlatform() {
    // Without this SDL draws the window surface through OpenGL under X11, which costs about 90 MB
    // and slows the first frame; a 300 x 300 software surface needs none of it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    const bool driverChosen = SDL_getenv("SDL_VIDEODRIVER") != nullptr;
    if (!driverChosen && SDL_getenv("DISPLAY") == nullptr && SDL_getenv("WAYLAND_DISPLAY") == nullptr) {
        error = kNoDisplay;
        return;
    }
    InstallX11ErrorHandlers();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = std::string("Cannot open the display: ") + SDL_GetError();
        return;
    }
    // With no display SDL falls back to drawing into memory, and the story would play unseen.
    // That is only wanted when someone asked for it by name.
    const std::string driver = SDL_GetCurrentVideoDriver();
    if ((driver == "offscreen" || driver == "dummy") && !driverChosen) {
        error = kNoDisplay;
        SDL_Quit();
        return;
    }
    start = std::chrono::steady_clock::now();
}

SdlPlatform::~SdlPlatform() {
    CloseAudio();
    presenter.Disconnect();
    if (window != nullptr) SDL_DestroyWindow(window);
    SDL_Quit();
}

int64_t SdlPlatform::Clock() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

std::string SdlPlatform::OpenWindow(const std::string& caption, int clientWidth,
                                    int clientHeight, const Image* icon) {
    windowScale = std::clamp(screenMode.scale, 1, kLargestScale);
    SDL_Rect desktop{};
    if (screenMode.autoScale && SDL_GetDisplayUsableBounds(0, &desktop) == 0) {
        // Room is left for the frame, the panels and the rest of the desktop.
        windowScale = LargestScaleThatFits(clientWidth, clientHeight, desktop.w * 85 / 100,
                                           desktop.h * 85 / 100, kLargestScale);
    } else if (windowScale > 1 && SDL_GetDisplayUsableBounds(0, &desktop) == 0) {
        // A scale asked for that the desktop cannot hold would put the window, and its boxes,
        // off the screen: the largest that fits is taken instead, and the user told.
        const int fits = LargestScaleThatFits(clientWidth, clientHeight, desktop.w, desktop.h, windowScale);
        if (fits < windowScale)
            std::fprintf(stderr, "tessaro: --scale %d does not fit the desktop (%d x %d); showing at %d\n",
                         windowScale, desktop.w, desktop.h, fits);
        windowScale = fits;
    }
    window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              clientWidth * windowScale, clientHeight * windowScale, SDL_WINDOW_HIDDEN);
    if (window == nullptr) return std::string("Cannot open the window: ") + SDL_GetError();
    if (icon != nullptr) SDL_SetWindowIcon(window, SurfaceOf(*icon));
    SDL_ShowWindow(window);
    if (screenMode.fullscreen) {
        // Shown first, so that a window manager has framed it (or not) by the time it goes
        // fullscreen, and it has a windowed place to come back to.
        SDL_PumpEvents();
        ToggleFullscreen();
    }
    SDL_RaiseWindow(window);
    NoteInTrace("window");
    return "";
}

bool SdlPlatform::PumpMessages() {
    // A pump asks the X server for what came since the last one, a dozen system calls even when
    // nothing did. It is left out when nothing can have come: within the same millisecond as the
    // last one with no sleep in between (a waiting pass pumps, then its wait at once again), or
    // when the connection has nothing to read and SDL's queue is empty. SDL still gets a pump
    // every kLongestWithoutPump ms for what it notices without the X server: signals, and the
    // focus changes it holds back for a moment.
    const int64_t now = Clock();
    if ((!sleptSincePump && now == pumpedAt) || (now - pumpedAt < kLongestWithoutPump && NothingWaiting(window))) {
        RunAudioOnlyWhileSounding();
        return !closeRequested;
    }
    pumpedAt = now;
    sleptSincePump = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            closeRequested = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) closeRequested = true;
            if (SurfaceMayChange(event.window.event)) ForgetSurface();
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                Paint();
            NoteFocus(event.window.event);
            break;
        case SDL_KEYDOWN: {
            ReaderKey key;
            if (ReaderKeyOf(event.key.keysym, key) &&
                input.KeyDown(key, ModifiersOf(event.key.keysym), event.key.repeat != 0) ==
                    InputRequest::ToggleFullscreen)
                ToggleFullscreen();
            break;
        }
        case SDL_KEYUP: {
            ReaderKey key;
            if (ReaderKeyOf(event.key.keysym, key)) input.KeyUp(key);
            break;
        }
        case SDL_MOUSEMOTION: {
            ImagePoint at;
            if (ToImage(event.motion.x, event.motion.y, at)) input.PointerAt(at);
            break;
        }
        case SDL_MOUSEBUTTONDOWN: {
            if (event.button.button != SDL_BUTTON_LEFT && event.button.button != SDL_BUTTON_RIGHT) break;
            ImagePoint at;
            const bool onImage = ToImage(event.button.x, event.button.y, at);
            input.Click(event.button.button == SDL_BUTTON_LEFT ? PointerButton::Left : PointerButton::Right,
                        onImage ? &at : nullptr);
            break;
        }
        case SDL_MOUSEWHEEL:
            input.Wheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
            break;
        default:
            break;
        }
    }
    RunAudioOnlyWhileSounding();
    return !closeRequested;
}

bool SdlPlatform::ToImage(int windowX, int windowY, ImagePoint& at) const {
    if (shown == nullptr) return false;
    at = ImagePoint{windowX, windowY};
    return WindowToImage(placed, shown->Width(), shown->Height(), at.x, at.y);
}

void SdlPlatform::NoteFocus(Uint8 windowEvent) {
    // SDL tells of the focus a moment after the window manager gives it, so the click that
    // brought it comes first.
    if (windowEvent == SDL_WINDOWEVENT_FOCUS_GAINED) input.Focus(true);
    if (windowEvent == SDL_WINDOWEVENT_FOCUS_LOST) input.Focus(false);
}

void SdlPlatform::SleepUntil(int64_t deadline) {
    const int64_t now = Clock();
    if (deadline <= now) return;
    // The very moment the millisecond clock reaches the deadline: a wait that ends a little late
    // on a 1 ms clock ends a whole millisecond late, and the rhythm of the text stumbles.
    deadline = std::min(deadline, now + (int64_t(1) << 40));
    sleptSincePump = true;
    WaitForEventsUntil(window, start + std::chrono::milliseconds(deadline));
}

bool SdlPlatform::KeyHit(Key key) { return input.KeyHit(key); }

bool SdlPlatform::SkipHeld() { return input.SkipHeld(); }

bool SdlPlatform::PointerMoved(int& x, int& y) { return input.PointerMoved(x, y); }

void SdlPlatform::ShowImage(const Image& clientImage, const ImageRect* changed) {
    if (&clientImage != shown) changed = nullptr;
    shown = &clientImage;
    Paint(changed);
}

void SdlPlatform::Paint(const ImageRect* changed) {
    if (window == nullptr || shown == nullptr) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    Placement at;
    // Windowed, the window was made for its scale; fullscreen takes the largest that fits.
    at.scale = LargestScaleThatFits(shown->Width(), shown->Height(), surface->w, surface->h,
                                    fullscreen ? surface->w : windowScale);
    at.x = std::max(0, (surface->w - shown->Width() * at.scale) / 2);
    at.y = std::max(0, (surface->h - shown->Height() * at.scale) / 2);
    const bool samePlace = surface == paintedOn && surface->pixels == paintedPixels && at.x == placed.x && at.y == placed.y &&
                           at.scale == placed.scale && paintedSize.w == surface->w &&
                           paintedSize.h == surface->h;
    placed = at;
    paintedOn = surface;
    paintedPixels = surface->pixels;
    paintedSize = SDL_Rect{0, 0, surface->w, surface->h};
    if (changed != nullptr && samePlace) {
        const SDL_Rect painted = PutScaled(SurfaceOf(*shown), SDL_Rect{changed->x, changed->y, changed->w, changed->h}, surface, at);
        if (painted.w > 0 && painted.h > 0) presenter.Update(window, surface, &painted);
        NoteInTrace("frame");
        return;
    }
    if (shown->Width() * at.scale < surface->w || shown->Height() * at.scale < surface->h)
        SDL_FillRect(surface, nullptr, 0);  // black around the image
    PutScaled(SurfaceOf(*shown), SDL_Rect{0, 0, shown->Width(), shown->Height()}, surface, at);
    presenter.Update(window, surface, nullptr);
    NoteInTrace("frame");
}

int SdlPlatform::ShownScale() const {
    // Before the first frame, the scale asked for (a box may come before the window does).
    return paintedOn != nullptr ? placed.scale : std::clamp(screenMode.scale, 1, kLargestScale);
}

bool SdlPlatform::SurfaceMayChange(Uint8 windowEvent) {
    switch (windowEvent) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
        return true;
    default:
        return false;
    }
}

void SdlPlatform::ForgetSurface() {
    presenter.ForgetPixels();
    paintedOn = nullptr;
    paintedPixels = nullptr;
}

void SdlPlatform::ToggleFullscreen() {
    ForgetSurface();
    fullscreen = !fullscreen;
    if (fullscreen) {
        SDL_GetWindowPosition(window, &windowedPlace.x, &windowedPlace.y);
        SDL_GetWindowSize(window, &windowedPlace.w, &windowedPlace.h);
        // A window manager gives the window a frame and acts on the fullscreen request. Without
        // one nobody does: the window then covers the screen by itself, and goes back by itself.
        int top = 0, left = 0, bottom = 0, right = 0;
        SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right);
        fullscreenByHand = top + left + bottom + right == 0;
        SDL_Rect screen{};
        if (fullscreenByHand && SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &screen) == 0) {
            SDL_SetWindowBordered(window, SDL_FALSE);
            SDL_SetWindowPosition(window, screen.x, screen.y);
            SDL_SetWindowSize(window, screen.w, screen.h);
        }
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(window, 0);
        if (fullscreenByHand) {
            SDL_SetWindowBordered(window, SDL_TRUE);
            SDL_SetWindowSize(window, windowedPlace.w, windowedPlace.h);
            SDL_SetWindowPosition(window, windowedPlace.x, windowedPlace.y);
        }
    }
    Paint();
}

void SdlPlatform::ForgetKeys() { input.Forget(); }

bool SdlPlatform::MessageBox(const std::string& caption, const std::string& text,
                             WhileOpen whileOpen) {
    MessageBoxWindow box;
    const std::string failed = OpenMessageBoxWindow(box, caption, text, window, ShownScale());
    if (!failed.empty()) {
        // The text itself has gone to standard error already where it reports a failure; why the
        // box could not show it is added, unless that is the same story (no font for either).
        if (failed != text) std::fprintf(stderr, "tessaro: %s\n", failed.c_str());
        return true;
    }
    const Uint32 boxId = SDL_GetWindowID(box.window);
    const Uint32 mainId = window != nullptr ? SDL_GetWindowID(window) : 0;
    bool open = true;
    bool mainClosed = false;
    const auto handle = [&](const SDL_Event& event) {
        switch (event.type) {
        case SDL_QUIT:  // only a signal sends it while two windows are open
            open = false;
            mainClosed = window != nullptr;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.windowID == boxId) {
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) open = false;
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED) DrawMessageBoxWindow(box);
            } else if (event.window.windowID == mainId) {
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) open = false, mainClosed = true;
                if (SurfaceMayChange(event.window.event)) ForgetSurface();
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED) Paint(nullptr);
                NoteFocus(event.window.event);
                // The box is modal: focus given to the story's window goes back to it.
                if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                    SDL_RaiseWindow(box.window);
                    SDL_SetWindowInputFocus(box.window);
                }
            }
            break;
        case SDL_KEYDOWN: {
            ReaderKey key;
            if (event.key.windowID == boxId && ReaderKeyOf(event.key.keysym, key) &&
                ReaderInput::KeyInMessageBox(key, ModifiersOf(event.key.keysym), event.key.repeat != 0) ==
                    InputRequest::CloseMessageBox)
                open = false;
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (event.button.windowID != boxId || event.button.button != SDL_BUTTON_LEFT) break;
            const bool onButton = box.layout.button.Contains(event.button.x, event.button.y);
            // A click is a press and a release both on OK; pressing elsewhere does nothing.
            if (event.type == SDL_MOUSEBUTTONUP && box.buttonDown && onButton) open = false;
            box.buttonDown = event.type == SDL_MOUSEBUTTONDOWN && onButton;
            DrawMessageBoxWindow(box);
            break;
        }
        default:
            break;
        }
    };
    while (open) {
        const int64_t nextDue = whileOpen != nullptr ? whileOpen() : -1;
        SDL_Event event;
        while (open && SDL_PollEvent(&event)) handle(event);
        if (!open) break;
        // Sleeps on the window system until an event or the next timer: nothing spins. Not in
        // SDL_WaitEvent: while it waits, every event SDL queues (the very key that dismisses the
        // box among them) sends a wake-up message to the newest window over a second connection,
        // which the X server may take after the box is gone: an X error on a dead window.
        const auto until = nextDue < 0 ? std::chrono::steady_clock::now() + std::chrono::hours(1)
                                       : start + std::chrono::milliseconds(nextDue);
        WaitForEventsUntil(box.window, until);
    }
    SDL_DestroyWindow(box.window);
    // The focus goes back to the story's window, as a dialogue hands it back to its owner.
    if (window != nullptr) SDL_SetWindowInputFocus(window);
    // Keys and clicks that dismissed the box, or came while it was open, are not the story's.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    ForgetKeys();
    Paint(nullptr);
    return !mainClosed;
}

std::string SdlPlatform::MciSendString(const std::string& command) {
    std::string answer = MidiSendCommand(command);
    AfterSoundCommand();
    return answer;
}

void SdlPlatform::SndPlaySound(const std::string& path) {
    PlayWaveFile(path);
    AfterSoundCommand();
}

void SdlPlatform::AfterSoundCommand() {
    RunAudioOnlyWhileSounding();
    // Loading the soundfont leaves freed memory behind; it goes back once the device is open.
    if (!audioOpened && AudioIsOpen()) {
        audioOpened = true;
        TrimMemory();
    }
}


std::string SdlPlatform::FindFile(const std::string& windowsPath) { return LocateFile(windowsPath); }

std::string SdlPlatform::ReadFile(const std::string& windowsPath) { return ReadAssetFile(windowsPath, kScenarioFileCap); }

std::unique_ptr<Image> SdlPlatform::LoadPicture(const std::string& windowsPath) {
    return ::LoadPicture(windowsPath);
}

std::string SdlPlatform::ProgramFolder(const char* argv0) { return ExecutableFolder(argv0); }

// Start-up leaves freed memory behind (the libraries' and the font's set-up), and so does loading
// the soundfont; giving it back keeps the long quiet run that follows small.
void SdlPlatform::SetVolume(int percent) { SetOutputVolume(percent); }

void SdlPlatform::TrimMemory() { ReturnFreedMemory(); }
