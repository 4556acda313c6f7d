#include "window/Pacing.h"

#include <algorithm>

#include "window/Crt.h"
#include "window/MainForm.h"

void DoEvents() {
    if (!System().PumpMessages()) MainForm_Unload();
    Crt.ShowIfChanged();
    RunDueTimers();
}

namespace {

void WaitUnless(int32_t ms, bool skippable) {
    const int64_t start = System().Clock();
    const int64_t end = start + static_cast<int64_t>(ms) + 1;  // "more than ms" on a 1 ms clock
    for (;;) {
        DoEvents();
        const int64_t now = System().Clock();
        if (now >= end || ms < 0 || (skippable && System().SkipHeld())) return;
        System().SleepUntil(std::min(end, NextTimerDue()));
    }
}

}  // namespace

void Wait(int32_t ms) { WaitUnless(ms, false); }

void SkippableWait(int32_t ms) { WaitUnless(ms, true); }

int64_t SleepUntilWoken(int64_t until) {
    System().SleepUntil(std::min(until, NextTimerDue()));
    return System().Clock();
}

bool SkipHeld() { return System().SkipHeld(); }

bool PointerMoved(int& x, int& y) {
    if (!System().PointerMoved(x, y)) return false;
    x -= kCrtBorder;
    y -= kCrtBorder;
    return true;
}

bool KeyHit(Key key) { return System().KeyHit(key); }

int64_t ClockMs() { return System().Clock(); }

void ShowMessage(const std::string& text) {
    if (!System().MessageBox(kMessageBoxCaption, text, RunTimersWhileBoxOpen)) MainForm_Unload();
}
