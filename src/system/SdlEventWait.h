#pragma once
// Sleeping until a moment on the monotonic clock, or until a window event arrives, whichever
// comes first: to within the kernel's timer slack, with one wakeup, never spinning.
#include <chrono>

struct SDL_Window;

void WaitForEventsUntil(SDL_Window* window, std::chrono::steady_clock::time_point until);
