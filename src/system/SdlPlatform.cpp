#include "system/SdlPlatform.h"

#include <algorithm>
#include <cstdio>

#include "system/AudioOutput.h"
#include "system/MessageBoxWindow.h"
#include "system/MidiDevice.h"
#include "system/SdlImage.h"
#include "system/WaveDevice.h"

namespace {

constexpr const char* kNoDisplay =
    "Cannot open the display: no X11 or Wayland display was found (is DISPLAY set?)";

// The message box's size against the one it was laid out for.
constexpr int kMessageBoxScale = 1;

constexpr SDL_Scancode kScancodes[3] = {SDL_SCANCODE_SPACE, SDL_SCANCODE_UP, SDL_SCANCODE_DOWN};

int KeyIndex(SDL_Scancode code) {
    for (int i = 0; i < 3; ++i)
        if (kScancodes[i] == code) return i;
    return -1;
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
    start = SDL_GetTicks64();
}

SdlPlatform::~SdlPlatform() {
    CloseAudio();
    if (dismissedBox != nullptr) SDL_DestroyWindow(dismissedBox);
    if (window != nullptr) SDL_DestroyWindow(window);
    SDL_Quit();
}

int64_t SdlPlatform::Clock() { return static_cast<int64_t>(SDL_GetTicks64() - start); }

std::string SdlPlatform::OpenWindow(const std::string& caption, int clientWidth,
                                    int clientHeight, const Image* icon) {
    window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              clientWidth, clientHeight, SDL_WINDOW_HIDDEN);
    if (window == nullptr) return std::string("Cannot open the window: ") + SDL_GetError();
    if (icon != nullptr) SDL_SetWindowIcon(window, SurfaceOf(*icon));
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    return "";
}

bool SdlPlatform::PumpMessages() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            closeRequested = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) closeRequested = true;
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED) Paint();
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) ForgetKeys();
            break;
        case SDL_KEYDOWN: {
            const int k = KeyIndex(event.key.keysym.scancode);
            if (k >= 0) pressedSince[k] = true;
            break;
        }
        default:
            break;
        }
    }
    return !closeRequested;
}

void SdlPlatform::SleepUntil(int64_t deadline) {
    const int64_t left = deadline - Clock();
    if (left <= 0) return;
    // Waits on the window system's connection: an event or the deadline wakes us, nothing spins.
    SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<int64_t>(left, 1 << 30)));
}

bool SdlPlatform::KeyHit(Key key) {
    const int k = static_cast<int>(key);
    // Keys typed into another program are not ours to act on.
    if (window == nullptr || SDL_GetKeyboardFocus() != window) {
        pressedSince[k] = false;
        return false;
    }
    const bool hit = SDL_GetKeyboardState(nullptr)[kScancodes[k]] != 0 || pressedSince[k];
    pressedSince[k] = false;
    return hit;
}

void SdlPlatform::ShowImage(const Image& clientImage) {
    shown = &clientImage;
    Paint();
}

void SdlPlatform::Paint() {
    if (window == nullptr || shown == nullptr) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    SDL_BlitSurface(SurfaceOf(*shown), nullptr, surface, nullptr);
    SDL_UpdateWindowSurface(window);
}

void SdlPlatform::ForgetKeys() {
    for (bool& pressed : pressedSince) pressed = false;
}

bool SdlPlatform::MessageBox(const std::string& caption, const std::string& text,
                             WhileOpen whileOpen) {
    MessageBoxWindow box;
    const std::string failed = OpenMessageBoxWindow(box, caption, text, window, kMessageBoxScale);
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
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED) Paint();
                // The box is modal: focus given to the story's window goes back to it.
                if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                    SDL_RaiseWindow(box.window);
                    SDL_SetWindowInputFocus(box.window);
                }
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.windowID != boxId) break;
            switch (event.key.keysym.sym) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
            case SDLK_SPACE:
            case SDLK_ESCAPE: open = false; break;
            default: break;
            }
            break;
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
        // Sleeps on the window system until an event or the next timer: nothing spins.
        const bool got = nextDue < 0
                             ? SDL_WaitEvent(&event) != 0
                             : SDL_WaitEventTimeout(&event, static_cast<int>(std::clamp<int64_t>(
                                                                nextDue - Clock(), 1, 1 << 30))) != 0;
        if (!got) continue;
        handle(event);
        while (open && SDL_PollEvent(&event)) handle(event);
    }
    // Hidden now, destroyed later: SDL wakes its own waits by sending a message to the newest
    // window over a second connection, and one sent during the last wait could reach the server
    // after the window was gone, an X error that ends the program with status 1.
    SDL_HideWindow(box.window);
    if (dismissedBox != nullptr) SDL_DestroyWindow(dismissedBox);
    dismissedBox = box.window;
    // The focus goes back to the story's window, as a dialogue hands it back to its owner.
    if (window != nullptr) SDL_SetWindowInputFocus(window);
    // Keys pressed to dismiss the box, or while it was open, are not the story's.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_TEXTINPUT);
    ForgetKeys();
    Paint();
    return !mainClosed;
}

void SdlPlatform::StartAudio() {
    // A missing audio device is not an error: the story runs on in silence, and OpenAudio has
    // said why in one line.
    OpenAudio();
}

std::string SdlPlatform::MciSendString(const std::string& command) { return MidiSendCommand(command); }

void SdlPlatform::SndPlaySound(const std::string& path) { PlayWaveFile(path); }
