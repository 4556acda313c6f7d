#pragma once
// The music's render hook: the synthesizer's output, kept below full scale by a limiter, in the
// audio device's format (AudioOutput.h).
#include <fluidsynth.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Frames rendered per synthesizer call; longer requests are split. The scratch buffer holds this
// many frames of the device's channels.
constexpr int kRenderFrames = 1024;

// Fills `samples` 16-bit interleaved samples of `out` with what the synthesizer plays next, through
// the limiter; silence (and the limiter at rest) when the player is not playing and no voice
// still sounds. The caller holds whatever guards synth and player.
void RenderMidi(fluid_synth_t* synth, fluid_player_t* player, std::vector<float>& scratch,
                float& limiterGain, int16_t* out, int samples);

// Keeps interleaved float samples within ±kMusicCeiling by turning the level down at once where
// it would exceed it and back up slowly (over about a third of a second) afterwards. `gain` is
// the limiter's state between blocks, 1 at rest.
constexpr float kMusicCeiling = 0.9f;
void LimitMusicPeaks(float* samples, size_t frames, int channels, float& gain);
