#include "window/Pacing.h"

#include <algorithm>

#include "window/Crt.h"
#include "window/MainForm.h"

namespace {

void (*eventHook)() = nullptr;

}  // namespace

void SetEventHook(void (*hook)()) { eventHook = hook; }

void DoEvents() {
    if (!System().PumpMessages()) MainForm_Unload();
    Crt.ShowIfChanged();
    RunDueTimers();
    if (eventHook != nullptr) eventHook();
}

namespace {

void WaitUntilMoment(int64_t end, bool skippable) {
    for (;;) {
        DoEvents();
        if (System().Clock() >= end || (skippable && System().SkipHeld())) return;
        System().SleepUntil(std::min(end, NextTimerDue()));
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

bool KeyHit(Key key) { return System().KeyHit(key); }

int64_t ClockMs() { return System().Clock(); }

void ShowMessage(const std::string& text) {
    if (!System().MessageBox(kMessageBoxCaption, text, RunTimersWhileBoxOpen)) MainForm_Unload();
}
