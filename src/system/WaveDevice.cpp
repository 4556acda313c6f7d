#include "system/WaveDevice.h"

#include <SDL_mixer.h>

#include "system/AudioOutput.h"
#include "system/Errors.h"
#include "system/Files.h"

namespace {

// The effect on channel 0, kept until it can no longer be playing.
Mix_Chunk* current = nullptr;

constexpr int kEffectChannel = 0;

// The sound in a wave file, decoded from memory: the file is closed before the decoder sees it,
// so no descriptor stays behind whatever the decoder makes of it. Null when there is no sound.
Mix_Chunk* LoadChunk(const std::string& path) {
    std::string bytes;
    try {
        bytes = ReadAssetFile(path, kMediaFileCap);
    } catch (const RunTimeError&) {
        return nullptr;
    }
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (source == nullptr) return nullptr;
    // Closed here rather than by the decoder, which leaves it open on some of its failures.
    Mix_Chunk* chunk = Mix_LoadWAV_RW(source, 0);
    SDL_RWclose(source);
    return chunk;
}

}  // namespace

void PlayWaveFile(const std::string& path) {
    if (!OpenAudio().empty()) return;
    if (path.empty()) {
        StopWaveEffects();
        return;
    }
    Mix_Chunk* next = LoadChunk(path);
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
