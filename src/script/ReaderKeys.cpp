#include "script/ReaderKeys.h"

#include "sound/Volume.h"
#include "script/AutoMode.h"
#include "script/Backlog.h"
#include "script/History.h"
#include "script/ReaderSettings.h"
#include "script/TextSpeed.h"
#include "system/TextCodec.h"
#include "window/Crt.h"
#include "window/Pacing.h"

namespace {

constexpr int64_t kNoteMs = 1500;  // how long the note of a new value shows

const RunState* run = nullptr;
bool fullscreen = false;  // as the window was last seen
bool backlogOpen = false;

// Run at every message pump: returns how long it held the story up.
int64_t HandleReaderKeys() {
    if (run == nullptr || backlogOpen) return 0;
    // The fullscreen key is the window's: what the reader chose is kept once it is seen.
    if (System().Fullscreen() != fullscreen) {
        fullscreen = !fullscreen;
        RememberFullscreen(fullscreen);
    }
    if (KeyHit(Key::Mute)) {
        const bool muted = ToggleMute();
        Crt.ShowMuteMark(muted);
        Crt.Refresh();
        RememberMute(muted);
    }
    if (KeyHit(Key::VolumeDown)) ChangeVolume(-kVolumeStep);
    if (KeyHit(Key::VolumeUp)) ChangeVolume(kVolumeStep);
    if (KeyHit(Key::Slower)) ChangeTextSpeed(false);
    if (KeyHit(Key::Faster)) ChangeTextSpeed(true);
    if (KeyHit(Key::Auto)) ToggleAutoMode();
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

void ChangeVolume(int step) {
    const int volume = ChangeStoryVolume(step);
    Crt.ShowMuteMark(false);
    Crt.ShowNote(U"音量 " + FromUtf8(std::to_string(volume)) + U"%", ClockMs() + kNoteMs);
    Crt.Refresh();
    RememberVolume(volume);
}

void ChangeTextSpeed(bool faster) {
    const TextSpeed speed = NextTextSpeed(CurrentTextSpeed(), faster);
    SetTextSpeed(speed);
    Crt.ShowNote(TextSpeedNote(speed), ClockMs() + kNoteMs);
    Crt.Refresh();
    RememberTextSpeed(speed);
}

void ToggleAutoMode() {
    SetAutoMode(!AutoMode());
    Crt.ShowNote(AutoMode() ? U"オート：オン" : U"オート：オフ", ClockMs() + kNoteMs);
    Crt.Refresh();
}

void ListenToReaderKeys(const RunState& state) {
    run = &state;
    fullscreen = System().Fullscreen();
    SetReaderKeys(HandleReaderKeys);
}
