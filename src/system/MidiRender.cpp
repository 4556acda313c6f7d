#include "system/MidiRender.h"

#include <algorithm>
#include <cmath>

#include "system/AudioOutput.h"

void RenderMidi(fluid_synth_t* synth, fluid_player_t* player, std::vector<float>& scratch,
                float& limiterGain, int16_t* out, int samples) {
    const bool sounding =
        synth != nullptr &&
        ((player != nullptr && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING) ||
         fluid_synth_get_active_voice_count(synth) > 0);
    if (!sounding) {
        std::fill(out, out + samples, int16_t(0));
        limiterGain = 1.0f;
        return;
    }
    for (int done = 0; done < samples;) {
        const int frames = std::min(kRenderFrames, (samples - done) / kAudioChannels);
        if (frames <= 0) {
            std::fill(out + done, out + samples, int16_t(0));
            break;
        }
        float* buffer = scratch.data();
        std::fill(buffer, buffer + frames * kAudioChannels, 0.0f);
        fluid_synth_write_float(synth, frames, buffer, 0, 2, buffer, 1, 2);
        LimitMusicPeaks(buffer, size_t(frames), kAudioChannels, limiterGain);
        for (int i = 0; i < frames * kAudioChannels; ++i) {
            const float scaled = std::clamp(buffer[i] * 32767.0f, -32768.0f, 32767.0f);
            out[done + i] = int16_t(std::lrint(scaled));
        }
        done += frames * kAudioChannels;
    }
}

void LimitMusicPeaks(float* samples, size_t frames, int channels, float& gain) {
    // Per frame, the way back up closes about 1/e of the distance in a third of a second.
    constexpr float kRecovery = 1.0f / (0.33f * float(kAudioRate));
    for (size_t frame = 0; frame < frames; ++frame) {
        float* sample = samples + frame * size_t(channels);
        float peak = 0.0f;
        for (int c = 0; c < channels; ++c) peak = std::max(peak, std::fabs(sample[c]));
        gain += (1.0f - gain) * kRecovery;
        if (peak * gain > kMusicCeiling) gain = kMusicCeiling / peak;
        for (int c = 0; c < channels; ++c) sample[c] *= gain;
    }
}
