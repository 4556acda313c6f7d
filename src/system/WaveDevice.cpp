#include "system/WaveDevice.h"

#include <SDL_mixer.h>

#include "system/AudioOutput.h"
#include "system/Files.h"

namespace {

// The effect on channel 0, kept until it can no longer be playing.
Mix_Chunk* current = nullptr;

constexpr int kEffectChannel = 0;

}  // namespace

void PlayWaveFile(const std::string& path) {
    if (!OpenAudio().empty()) return;
    ReleaseBeforeClose(StopWaveEffects);
    if (path.empty()) {
        StopWaveEffects();
        return;
    }
    // A name read from a script may hold a NUL, which no file name can: cut there, it would
    // name another file.
    if (path.find('\0') != std::string::npos) return;
    Mix_Chunk* next = Mix_LoadWAV(LocateFile(path).c_str());
    if (next == nullptr) return;
    // Halting first means the mixer is done with the old chunk, so it can be freed.
    StopWaveEffects();
    current = next;
    // Always the same channel: asking for "any free channel" would fail while it is busy instead
    // of cutting the sound that is playing.
    Mix_PlayChannel(kEffectChannel, current, 0);
}

bool WaveIsPlaying() { return AudioIsOpen() && Mix_Playing(kEffectChannel) != 0; }

void StopWaveEffects() {
    if (current == nullptr) return;
    Mix_HaltChannel(kEffectChannel);
    Mix_FreeChunk(current);
    current = nullptr;
}
