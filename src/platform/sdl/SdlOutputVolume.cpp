#include "platform/sdl/SdlOutputVolume.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>

#include "platform/sdl/AudioOutput.h"

namespace {

std::atomic<int> volume{MIX_MAX_VOLUME};

}  // namespace

void SetOutputVolume(int percent) {
    volume = std::clamp(percent, 0, 100) * MIX_MAX_VOLUME / 100;
    // The effect playing now changes too; later ones are started at it.
    if (AudioIsOpen()) Mix_Volume(-1, volume);
}

int OutputVolume() { return volume; }

void ScaleToOutputVolume(int16_t* samples, size_t count) {
    const int scale = volume;
    if (scale >= MIX_MAX_VOLUME) return;
    for (size_t i = 0; i < count; ++i) samples[i] = int16_t(samples[i] * scale / MIX_MAX_VOLUME);
}
