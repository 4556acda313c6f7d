#include "platform/sdl/SdlEventWait.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>
#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <cerrno>

namespace {

using Clock = std::chrono::steady_clock;

#if defined(SDL_VIDEO_DRIVER_X11)
using DisplayHandle = Display*;
#else
using DisplayHandle = void*;
#endif

// The X server's connection, where SDL's events come from; null when the window lives elsewhere.
DisplayHandle DisplayOf(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11)
        return info.info.x11.display;
#else
    (void)window;
#endif
    return nullptr;
}

timespec ToTimespec(Clock::duration time) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time);
    return timespec{static_cast<time_t>(seconds.count()),
                    static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(time - seconds).count())};
}

// The window's connection, found once per window.
DisplayHandle ConnectionOf(SDL_Window* window) {
    static SDL_Window* known = nullptr;
    static DisplayHandle display = nullptr;
    if (window != known) {
        known = window;
        display = DisplayOf(window);
    }
    return display;
}

}  // namespace

bool NothingWaiting(SDL_Window* window) {
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return false;
#if defined(SDL_VIDEO_DRIVER_X11)
    Display* display = ConnectionOf(window);
    if (display == nullptr || QLength(display) > 0) return false;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    return poll(&connection, 1, 0) == 0;
#else
    (void)window;
    return false;
#endif
}

void WaitForEventsUntil(SDL_Window* window, Clock::time_point until) {
    static bool slackSet = false;
    if (!slackSet) {
        slackSet = true;
        // The kernel may let a sleep run on by this much to gather wakeups; by default that is
        // 50 us, a visible share of the unevenness of a 15 ms rhythm.
        prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0);
    }
    const DisplayHandle display = ConnectionOf(window);

    // Events already read from the connection, into SDL's queue or Xlib's, would not wake a wait
    // on it.
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
    const Clock::duration left = until - Clock::now();
    if (left <= Clock::duration::zero()) return;

#if defined(SDL_VIDEO_DRIVER_X11)
    if (display != nullptr) {
        if (QLength(display) > 0) return;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        const timespec timeout = ToTimespec(left);
        ppoll(&connection, 1, &timeout, nullptr);
        return;
    }
#endif
    // Elsewhere SDL waits in whole milliseconds: wait on its events until shortly before the
    // moment, then sleep the rest precisely.
    const auto wholeMs = std::chrono::duration_cast<std::chrono::milliseconds>(left).count() - 1;
    if (wholeMs > 0 && SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<long long>(wholeMs, 1 << 30))) == 1)
        return;
    const timespec at = ToTimespec(until.time_since_epoch());
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}
