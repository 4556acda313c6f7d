#include "platform/sdl/SdlAudioPause.h"

#include "platform/sdl/AudioOutput.h"
#include "platform/sdl/MidiDevice.h"
#include "platform/sdl/WaveDevice.h"

void RunAudioOnlyWhileSounding() {
    if (!AudioIsOpen()) return;
    PauseAudio(!WaveIsPlaying() && !MidiIsSounding());
}
