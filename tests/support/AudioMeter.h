#pragma once
// What the tests hear: a meter on the mixed output, music and effects together, installed as
// SDL_mixer's post-mix hook when the test opens the audio device.
#include <cstdint>
#include <string>

// Opens the audio device and the synthesizer (StartMidiSynth, as the program's start-up does) and
// puts the meter on the output, starting from nothing. Returns OpenAudio's error text.
std::string OpenAudioWithMeter();

// The level of the output in sample units (0 .. 32768).
struct AudioLevel {
    int peak = 0;
    double rms = 0;
};

// The level over the most recent `milliseconds` of output. Time is counted in sample frames
// mixed, not by the clock; at most the last few seconds are kept.
AudioLevel RecentAudioLevel(int milliseconds);

// Sample frames mixed since the meter was put on.
uint64_t AudioFramesMixed();
