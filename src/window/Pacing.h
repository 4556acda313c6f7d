#pragma once
// Pacing and keys: the only places where the window system gets control while the story runs.
#include <cstdint>
#include <string>

#include "system/Platform.h"

// Handles pending window messages: repaints, the close request (which ends the program at once),
// the window's timers that are due, and the reader's own keys.
void DoEvents();

// What the reader's own keys (the backlog, mute) do, run by every DoEvents once it is set: it
// returns how many milliseconds it held the story up, and the waits under way are that much
// longer, so that a pause or the typing goes on where it stopped.
void SetReaderKeys(int64_t (*handler)());
// Something DoEvents runs last each time (the author's --watch looks at the scenario file); none
// by default. It may end the run by throwing.
void SetEventHook(void (*hook)());

// Returns after more than ms milliseconds, pumping messages all the while and at least once.
// Sleeps between pumps; a negative ms gives a single pump.
void Wait(int32_t ms);

// Like Wait, but returns as soon as the reader holds the skip key (after one pump).
void SkippableWait(int32_t ms);

// Sleeps until the clock reaches until, or until something wakes the program before (a window
// event, a due timer). Returns the clock then; what woke it is handled by the next DoEvents.
int64_t SleepUntilWoken(int64_t until);

// Like SkippableWait, but until the clock reaches moment.
void SkippableWaitUntil(int64_t moment);

// True while the reader holds the skip key.
bool SkipHeld();

// True when the mouse pointer has moved over the picture area since the previous query; x and y
// are then where, in the area's own coordinates (outside the drawable area they run past it).
bool PointerMoved(int& x, int& y);

// True when the reader has tapped the picture area since the previous query; x and y as
// PointerMoved gives them.
bool TapHit(int& x, int& y);

// True when the key is down now or has been pressed since the previous query of it.
bool KeyHit(Key key);

// Milliseconds on the program's clock, as the waiting loops read it.
int64_t ClockMs();

// A modal message box captioned kMessageBoxCaption; the window's timers go on ticking while it is
// open, and closing the window meanwhile ends the program as it does anywhere else.
void ShowMessage(const std::string& text);
