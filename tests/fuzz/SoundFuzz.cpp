// Wave and MIDI bytes through the real sound devices on SDL's dummy audio driver. The first byte
// chooses: even, a sound effect; odd, a piece of music, played until the device has mixed a little
// of it (the synthesizer reads the file as it plays).
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzStory.h"
#include "support/AudioMeter.h"
#include "platform/sdl/AudioOutput.h"
#include "platform/sdl/MidiDevice.h"
#include "platform/sdl/WaveDevice.h"

namespace {

// Sleeps until the device has mixed `frames` more, or a little while has passed.
void LetTheDeviceMix(uint64_t frames) {
    const uint64_t target = AudioFramesMixed() + frames;
    const uint64_t giveUp = SDL_GetTicks64() + 200;
    while (AudioFramesMixed() < target && SDL_GetTicks64() < giveUp) SDL_Delay(1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    OpenDummyAudio();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0) {
        PlayWaveFile(WriteScratch("Wave/Wave99.wav", bytes));
        LetTheDeviceMix(1024);
        PlayWaveFile("");
    } else {
        MidiSendCommand("open " + WriteScratch("Bgm/Bgm99.mid", bytes) + " alias MIDI");
        MidiSendCommand("play MIDI notify");
        LetTheDeviceMix(2048);
        MidiSendCommand("status MIDI mode");
        MidiSendCommand("close MIDI notify");
    }
    return 0;
}
