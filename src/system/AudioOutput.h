#pragma once
// The one audio device. Background music (the MIDI synthesizer, MidiDevice.h) and sound effects
// (one mixer channel, WaveDevice.h) are mixed into the same output stream by SDL_mixer.
//
// Without a usable device everything is silent and the program goes on.
#include <cstdint>
#include <string>

// The output format: 44100 Hz, signed 16-bit, stereo. The device is opened with exactly this
// format; SDL converts when the hardware wants something else.
constexpr int kAudioRate = 44100;
constexpr int kAudioChannels = 2;

// Opens the device and loads the music synthesizer. Returns "" on success, otherwise an error text
// that has also been written to stderr as one line. Calling it again returns the same result
// without trying again (until CloseAudio). Music and sound effects call it on first use, so
// calling it at start-up only moves the start-up cost (about 40 ms for the soundfont) there.
std::string OpenAudio();

// True between a successful OpenAudio and CloseAudio.
bool AudioIsOpen();

// Stops or restarts the mixing (the device's own thread then writes silence without asking the
// music or the effects for anything). The device opens running. Without an open device, nothing.
void PauseAudio(bool pause);
bool AudioIsPaused();

// Closes the music device, stops and frees the sound effect, closes the audio device and releases
// SDL's audio subsystem. OpenAudio may be called again afterwards.
void CloseAudio();

// The level of the output as it was mixed, music and effects together, in sample units
// (0 .. 32768).
struct AudioLevel {
    int peak = 0;
    double rms = 0;
};

// The level over the most recent `milliseconds` of output. Time is counted in sample frames
// mixed, not by the clock; at most the last few seconds are kept.
AudioLevel RecentAudioLevel(int milliseconds);

// Sample frames mixed since the device was opened.
uint64_t AudioFramesMixed();
