#pragma once
// The one audio device and its one owner. Background music (the MIDI synthesizer, MidiDevice.h)
// and sound effects (one mixer channel, WaveDevice.h) ask it for the device when they first need
// it and never open it themselves; SDL_mixer mixes both into the same output stream. This file
// knows neither of them: they tell it what to let go of before the device closes.
//
// Without a usable device everything is silent and the program goes on.
#include <string>

// The output format: 44100 Hz, signed 16-bit, stereo. The device is opened with exactly this
// format; SDL converts when the hardware wants something else.
constexpr int kAudioRate = 44100;
constexpr int kAudioChannels = 2;

// Opens the device. Returns "" on success, otherwise an error text that has also been written to
// stderr as one line. Calling it again returns the same result without trying again (until
// CloseAudio). Music and sound effects call it on first use.
std::string OpenAudio();

// True between a successful OpenAudio and CloseAudio.
bool AudioIsOpen();

// Stops or restarts the mixing (the device's own thread then writes silence without asking the
// music or the effects for anything). The device opens running. Without an open device, nothing.
void PauseAudio(bool pause);

// Registers what must let go of the device before it closes (a hook, a playing sound). Registering
// the same function again changes nothing.
void ReleaseBeforeClose(void (*release)());

// Runs the registered releases in the order registered, closes the audio device and releases
// SDL's audio subsystem. OpenAudio may be called again afterwards.
void CloseAudio();
