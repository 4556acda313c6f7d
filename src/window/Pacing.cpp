#include "window/Pacing.h"

#include <algorithm>

#include "window/Crt.h"
#include "window/MainForm.h"

void DoEvents() {
    if (!System().PumpMessages()) MainForm_Unload();
    Crt.ShowIfChanged();
    RunDueTimers();
}

void Wait(int32_t ms) {
    const int64_t start = System().Clock();
    const int64_t end = start + static_cast<int64_t>(ms) + 1;  // "more than ms" on a 1 ms clock
    for (;;) {
        DoEvents();
        const int64_t now = System().Clock();
        if (now >= end || ms < 0) return;
        System().SleepUntil(std::min(end, NextTimerDue()));
    }
}

bool KeyHit(Key key) { return System().KeyHit(key); }

int64_t ClockMs() { return System().Clock(); }

void ShowMessage(const std::string& text) {
    if (!System().MessageBox(kMessageBoxCaption, text, RunTimersWhileBoxOpen)) MainForm_Unload();
}
