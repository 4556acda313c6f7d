#pragma once
// The music's render hook: the synthesizer's output, kept below full scale by a limiter, in the
// audio device's format (AudioOutput.h).
#include <fluidsynth.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Frames the synthesizer renders at a time, about 93 ms: four device buffers' worth, handed to the
// device over the following calls. The synthesizer's working set goes cold between the device's
// calls, so one render every fourth call costs a sixth less than one a call; a stop is still heard
// within a tenth of a second.
constexpr int kRenderFrames = 4096;

// What the hook keeps between its calls.
struct MidiRenderState {
    std::vector<float> scratch;   // one render, as the synthesizer writes it
    std::vector<int16_t> ahead;   // rendered and not yet handed to the device
    size_t handedOut = 0;         // of `ahead`
    float limiterGain = 1.0f;     // the limiter's state between renders, 1 at rest

    // Ready for the first call, with nothing rendered.
    void Reset();
    // Forgets what was rendered and not yet heard, so that silence follows at once.
    void DropRendered() { ahead.clear(), handedOut = 0; }
    bool HoldsRendered() const { return handedOut < ahead.size(); }
};

// The piece plays, or notes still ring out after it. The caller holds whatever guards synth and
// player.
bool MidiSounding(fluid_synth_t* synth, fluid_player_t* player);

// Fills `samples` 16-bit interleaved samples of `out` with what was rendered and not yet handed
// out, then with what the synthesizer plays next, through the limiter; silence (and the limiter at
// rest) once nothing is left and the synthesizer is quiet. The caller holds whatever guards synth,
// player and state.
void RenderMidi(fluid_synth_t* synth, fluid_player_t* player, MidiRenderState& state, int16_t* out,
                int samples);

// Keeps interleaved float samples within ±kMusicCeiling by turning the level down at once where
// it would exceed it and back up slowly (over about a third of a second) afterwards. `gain` is
// the limiter's state between blocks, 1 at rest.
constexpr float kMusicCeiling = 0.9f;
void LimitMusicPeaks(float* samples, size_t frames, int channels, float& gain);
