#pragma once
// Sleeping until a moment on the monotonic clock, or until a window event arrives, whichever
// comes first: to within the kernel's timer slack, with one wakeup, never spinning.
#include <chrono>

struct SDL_Window;

void WaitForEventsUntil(SDL_Window* window, std::chrono::steady_clock::time_point until);

// True when nothing has come from the window system since events were last read: nothing in
// SDL's queue or Xlib's, and nothing to read on the connection. False where that cannot be told.
bool NothingWaiting(SDL_Window* window);
