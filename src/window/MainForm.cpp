#include "window/MainForm.h"

#include <limits>

#include "sound/Bgm.h"
#include "system/Errors.h"
#include "system/Platform.h"
#include "window/Crt.h"
#include "window/Icon.h"

int ScreenWidth = 0;
int ScreenHeight = 0;

namespace {

// The window's one timer, Bgm_Check: it ticks once a second, but only while messages are pumped.
// A tick that comes due while nobody pumps runs once, at the next pump, not once for every
// second missed; the ticks after it keep their one-second beat.
struct WindowTimer {
    int64_t interval;
    void (*handler)();
    int64_t due = std::numeric_limits<int64_t>::max();

    void Start() { due = System().Clock() + interval; }
    void RunIfDue() {
        const int64_t now = System().Clock();
        if (now < due) return;
        due += interval * ((now - due) / interval + 1);
        handler();
    }
};

WindowTimer Bgm_Check{1000, Bgm_Check_Timer};

}  // namespace

void MainForm_Load() {
    Crt.Open(ScreenWidth, ScreenHeight);
    const std::unique_ptr<Image> icon = WindowIcon();
    const std::string error =
        System().OpenWindow(kWindowCaption, ScreenWidth + 2 * kCrtBorder, ScreenHeight + 2 * kCrtBorder, icon.get());
    if (!error.empty()) throw RunTimeError(error);
    Crt.Refresh();
    Bgm_Check.Start();
}

void MainForm_Unload() {
    BgmClose();
    throw ProgramEnd{0};
}

void RunDueTimers() { Bgm_Check.RunIfDue(); }

void RestartTimers() { Bgm_Check.Start(); }

int64_t NextTimerDue() { return Bgm_Check.due; }

int64_t RunTimersWhileBoxOpen() {
    RunDueTimers();
    return NextTimerDue();
}
