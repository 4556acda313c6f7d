#include "window/Pacing.h"

#include <algorithm>

#include "window/Crt.h"
#include "window/MainForm.h"

namespace {

int64_t (*readerKeys)() = nullptr;
int64_t heldMs = 0;  // all the time the reader's keys have held the story up

void (*eventHook)() = nullptr;

}  // namespace

void SetReaderKeys(int64_t (*handler)()) { readerKeys = handler; }
void SetEventHook(void (*hook)()) { eventHook = hook; }

void DoEvents() {
    if (!System().PumpMessages()) MainForm_Unload();
    Crt.ShowIfChanged();
    RunDueTimers();
    if (readerKeys != nullptr) heldMs += readerKeys();
    if (eventHook != nullptr) eventHook();
}

namespace {

void WaitUntilMoment(int64_t end, bool skippable) {
    const int64_t heldBefore = heldMs;
    for (;;) {
        DoEvents();
        const int64_t moment = end + (heldMs - heldBefore);
        if (System().Clock() >= moment || (skippable && System().SkipHeld())) return;
        System().SleepUntil(std::min(moment, NextTimerDue()));
    }
}

void WaitUnless(int32_t ms, bool skippable) {
    if (ms < 0) {
        DoEvents();
        return;
    }
    // "More than ms" on a 1 ms clock.
    WaitUntilMoment(System().Clock() + static_cast<int64_t>(ms) + 1, skippable);
}

}  // namespace

void Wait(int32_t ms) { WaitUnless(ms, false); }

void SkippableWait(int32_t ms) { WaitUnless(ms, true); }

void SkippableWaitUntil(int64_t moment) { WaitUntilMoment(moment, true); }

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

bool TapHit(int& x, int& y) {
    if (!System().TapHit(x, y)) return false;
    x -= kCrtBorder;
    y -= kCrtBorder;
    return true;
}

bool KeyHit(Key key) { return System().KeyHit(key); }

int64_t ClockMs() { return System().Clock(); }

void ShowMessage(const std::string& text) {
    System().Trace("box");
    const bool dismissed = System().MessageBox(kMessageBoxCaption, text, RunTimersWhileBoxOpen);
    System().Trace("box-closed");
    if (!dismissed) MainForm_Unload();
}
