#include "system/SdlAudioPause.h"

#include "system/AudioOutput.h"
#include "system/MidiDevice.h"
#include "system/WaveDevice.h"

void RunAudioOnlyWhileSounding() {
    if (!AudioIsOpen()) return;
    PauseAudio(!WaveIsPlaying() && !MidiIsSounding());
}
