#pragma once
// Sound effects: one at a time, played on the shared audio device (AudioOutput.h) alongside the
// music.
#include <string>

// Starts the sound in a wave file and returns at once. A sound effect still playing is cut off.
// The path may be Windows-style; it goes through LocateFile. A missing or unplayable file is
// silent and leaves the effect that is playing alone. An empty path just stops the effect.
void PlayWaveFile(const std::string& path);

// True while a sound effect is sounding.
bool WaveIsPlaying();

// Stops the effect and frees it. Called by CloseAudio.
void StopWaveEffects();
