#include "platform/sdl/MidiRender.h"

#include <algorithm>
#include <cmath>

#include "platform/sdl/AudioOutput.h"

bool MidiSounding(fluid_synth_t* synth, fluid_player_t* player) {
    return synth != nullptr &&
           ((player != nullptr && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING) ||
            fluid_synth_get_active_voice_count(synth) > 0);
}

void MidiRenderState::Reset() {
    scratch.assign(size_t(kRenderFrames) * kAudioChannels, 0.0f);
    ahead.reserve(scratch.size());
    DropRendered();
    limiterGain = 1.0f;
}

namespace {

// A sample in 16 bits, rounded to the nearest value (ties to even, as lrint does) without a call
// into the maths library: adding and taking away 1.5 * 2^23 leaves the nearest whole number. The
// clamp puts anything not a number at the bottom of the scale.
int16_t ToSample(float value) {
    constexpr float kRound = 12582912.0f;
    const float scaled = std::min(32767.0f, std::max(-32768.0f, value * 32767.0f));
    return int16_t(int32_t((scaled + kRound) - kRound));
}

// Renders the next `frames` frames (at most kRenderFrames) into `state.ahead`.
void Render(fluid_synth_t* synth, int frames, MidiRenderState& state) {
    float* buffer = state.scratch.data();
    const size_t count = size_t(frames) * kAudioChannels;
    fluid_synth_write_float(synth, frames, buffer, 0, 2, buffer, 1, 2);  // overwrites
    LimitMusicPeaks(buffer, size_t(frames), kAudioChannels, state.limiterGain);
    state.ahead.resize(count);
    int16_t* out = state.ahead.data();
    for (size_t i = 0; i < count; ++i) out[i] = ToSample(buffer[i]);
    state.handedOut = 0;
}

}  // namespace

void RenderMidi(fluid_synth_t* synth, fluid_player_t* player, MidiRenderState& state, int16_t* out,
                int samples) {
    for (int done = 0; done < samples;) {
        if (!state.HoldsRendered()) {
            // Ahead only while the piece plays. Once it has stopped, only what the device asks
            // for: the notes left ringing, and the last echoes after a close, end as promptly as
            // they always have.
            const bool playing =
                player != nullptr && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING;
            const int frames = playing ? kRenderFrames
                                       : std::min(kRenderFrames, (samples - done) / kAudioChannels);
            if (frames <= 0 || state.scratch.empty() || !MidiSounding(synth, player)) {
                std::fill(out + done, out + samples, int16_t(0));
                state.limiterGain = 1.0f;
                return;
            }
            Render(synth, frames, state);
        }
        const size_t count =
            std::min(size_t(samples - done), state.ahead.size() - state.handedOut);
        std::copy_n(state.ahead.data() + state.handedOut, count, out + done);
        state.handedOut += count;
        done += int(count);
    }
}

void LimitMusicPeaks(float* samples, size_t frames, int channels, float& gain) {
    // Per frame, the way back up closes about 1/e of the distance in a third of a second.
    constexpr float kRecovery = 1.0f / (0.33f * float(kAudioRate));
    // At rest, a block with nothing above the ceiling passes untouched: most blocks of most pieces.
    if (gain == 1.0f) {
        float peak = 0.0f;
        for (size_t i = 0; i < frames * size_t(channels); ++i)
            peak = std::max(peak, std::fabs(samples[i]));
        if (peak <= kMusicCeiling) return;
    }
    // Within a thousandth of full level (a hundredth of a decibel) the way back up counts as
    // done: in floats each step would soon round to nothing, leaving the gain stuck about 0.0004
    // short of 1 and the limiter never at rest again.
    constexpr float kAtRest = 0.999f;
    for (size_t frame = 0; frame < frames; ++frame) {
        float* sample = samples + frame * size_t(channels);
        float peak = 0.0f;
        for (int c = 0; c < channels; ++c) peak = std::max(peak, std::fabs(sample[c]));
        gain = gain >= kAtRest ? 1.0f : gain + (1.0f - gain) * kRecovery;
        if (peak * gain > kMusicCeiling) gain = kMusicCeiling / peak;
        for (int c = 0; c < channels; ++c) sample[c] *= gain;
    }
}
