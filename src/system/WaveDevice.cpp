#include "system/WaveDevice.h"

#include <SDL_mixer.h>

#include <cstdint>

#include "system/AudioOutput.h"
#include "system/Errors.h"
#include "system/Files.h"

namespace {

// The effect on channel 0, kept until it can no longer be playing.
Mix_Chunk* current = nullptr;

constexpr int kEffectChannel = 0;

uint32_t Little32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;) value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

void SetLittle32(std::string& bytes, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = char(value >> (8 * i));
}

// The decoder sets aside as much memory as a chunk's header claims before it reads the chunk, so a
// hundred-byte file claiming 4 GB of samples would take them. Each claim is cut to what the file
// holds; a whole file is left as it is.
void FitChunksToTheFile(std::string& bytes) {
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) return;
    if (Little32(bytes, 4) > bytes.size() - 8) SetLittle32(bytes, 4, uint32_t(bytes.size() - 8));
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const size_t room = bytes.size() - (at + 8);
        const uint32_t length = Little32(bytes, at + 4);
        if (length > room) {
            SetLittle32(bytes, at + 4, uint32_t(room));
            return;
        }
        at += 8 + length + (length & 1);
    }
}

// The sound in a wave file, decoded from memory: the file is closed before the decoder sees it,
// so no descriptor stays behind whatever the decoder makes of it. Null when there is no sound.
Mix_Chunk* LoadChunk(const std::string& path) {
    std::string bytes;
    try {
        bytes = ReadAssetFile(path, kMediaFileCap);
    } catch (const RunTimeError&) {
        return nullptr;
    }
    FitChunksToTheFile(bytes);
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
    ReleaseBeforeClose(StopWaveEffects);
    if (path.empty()) {
        StopWaveEffects();
        return;
    }
    // A name read from a script may hold a NUL, which no file name can: cut there, it would
    // name another file.
    if (path.find('\0') != std::string::npos) return;
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
