#include "script/ReaderKeys.h"

#include "sound/Volume.h"
#include "script/Backlog.h"
#include "script/History.h"
#include "script/ReaderSettings.h"
#include "window/Crt.h"
#include "window/Pacing.h"

namespace {

const RunState* run = nullptr;
bool backlogOpen = false;

// Run at every message pump: returns how long it held the story up.
int64_t HandleReaderKeys() {
    if (run == nullptr || backlogOpen) return 0;
    if (KeyHit(Key::Mute)) {
        const bool muted = ToggleMute();
        Crt.ShowMuteMark(muted);
        Crt.Refresh();
        RememberMute(muted);
    }
    const bool home = KeyHit(Key::Home);
    const bool pageUp = KeyHit(Key::PageUp);
    // In a question the wheel moves the arrow.
    const bool wheelUp = KeyHit(Key::WheelUp) && !QuestionShown();
    if (!home && !pageUp && !wheelUp) return 0;
    const int64_t opened = ClockMs();
    backlogOpen = true;
    try {
        ShowBacklog(*run, home ? BacklogStart::Top : BacklogStart::End);
    } catch (...) {
        backlogOpen = false;
        throw;
    }
    backlogOpen = false;
    return ClockMs() - opened;
}

}  // namespace

void ListenToReaderKeys(const RunState& state) {
    run = &state;
    SetReaderKeys(HandleReaderKeys);
}
