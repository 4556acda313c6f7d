#include "platform/sdl/WaveDevice.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cstdint>

#include "platform/sdl/AudioOutput.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/StoryFiles.h"
#include "platform/sdl/SdlOutputVolume.h"

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

uint16_t Little16(const std::string& bytes, size_t at) {
    return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
}

// The longest sound an effect may hold. The mixer keeps a whole effect in memory, converted to
// the device's rate: a small file claiming a very low rate would take gigabytes that way.
constexpr uint64_t kLongestEffectSeconds = 30 * 60;

// The decoder sets aside as much memory as a chunk's header claims before it reads the chunk, so a
// hundred-byte file claiming 4 GB of samples would take them. Each claim is cut to what the file
// holds; a whole file is left as it is. Returns false for a sound longer than the longest effect,
// which is not played.
bool FitChunksToTheFile(std::string& bytes) {
    if (Little32(bytes, 4) > bytes.size() - 8) SetLittle32(bytes, 4, uint32_t(bytes.size() - 8));
    uint16_t formatTag = 0, channels = 1, blockAlign = 1, bits = 8;
    uint32_t rate = 0;
    uint64_t dataBytes = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const size_t room = bytes.size() - (at + 8);
        uint32_t length = Little32(bytes, at + 4);
        if (length > room) {
            SetLittle32(bytes, at + 4, uint32_t(room));
            length = uint32_t(room);
        }
        if (bytes.compare(at, 4, "fmt ") == 0 && length >= 16) {
            formatTag = Little16(bytes, at + 8);
            channels = std::max<uint16_t>(1, Little16(bytes, at + 10));
            rate = Little32(bytes, at + 12);
            blockAlign = std::max<uint16_t>(1, Little16(bytes, at + 20));
            bits = Little16(bytes, at + 22);
        } else if (bytes.compare(at, 4, "data") == 0) {
            dataBytes = length;
        }
        if (length == room) break;
        at += 8 + length + (length & 1);
    }
    if (rate == 0 || dataBytes == 0) return true;  // the decoder turns these away itself
    // Frames the data holds: whole samples, or, compressed (ADPCM), at most four bits each.
    const bool adpcm = formatTag == 0x0002 || formatTag == 0x0011;
    const uint64_t bytesPerFrame =
        std::max<uint64_t>(1, std::min<uint64_t>(blockAlign, uint64_t(channels) * ((bits + 7) / 8)));
    const uint64_t frames = adpcm ? 2 * (dataBytes + blockAlign) / channels : dataBytes / bytesPerFrame;
    return frames <= uint64_t(rate) * kLongestEffectSeconds;
}

// The sound in a wave file, decoded from memory: the file is closed before the decoder sees it,
// so no descriptor stays behind whatever the decoder makes of it. Null when there is no sound.
Mix_Chunk* LoadChunk(const std::string& path) {
    std::string bytes;
    try {
        bytes = ReadAssetFile(path, StoryFolderOf(StoryFolder::Wave).cap);
    } catch (const RunTimeError&) {
        return nullptr;
    }
    // Effects are wave files. The mixer would take other kinds too, a MIDI file among them, and
    // render the whole of it at once, however long it plays.
    if (!IsWaveFile(bytes)) return nullptr;
    if (!FitChunksToTheFile(bytes)) return nullptr;
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
    Mix_Volume(kEffectChannel, OutputVolume());
    Mix_PlayChannel(kEffectChannel, current, 0);
}

bool WaveIsPlaying() { return AudioIsOpen() && Mix_Playing(kEffectChannel) != 0; }

void StopWaveEffects() {
    if (current == nullptr) return;
    Mix_HaltChannel(kEffectChannel);
    Mix_FreeChunk(current);
    current = nullptr;
}
