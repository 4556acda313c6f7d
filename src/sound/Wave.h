#pragma once
// Sound effects: one at a time, over the music.
#include <string>

constexpr const char* kWaveFolder = "Wave";

// Starts wave file `name` from the Wave folder and returns at once; an effect still playing is
// cut off. A missing or unplayable file is silent.
void WavePlay(const std::string& name);
