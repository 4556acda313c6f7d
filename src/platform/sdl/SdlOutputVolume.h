#pragma once
// The loudness the reader chose for music and sound effects together, applied where each is
// mixed: the effects by the mixer's channel volume, the music in its render hook. Full volume
// leaves every sample as it was.
#include <cstddef>
#include <cstdint>

// 0 (silent) to 100 (full); values outside are brought inside. Safe from any thread.
void SetOutputVolume(int percent);

// The volume on the mixer's scale, 0 to 128.
int OutputVolume();

// Scales the music's samples to the volume; at full volume it does nothing.
void ScaleToOutputVolume(int16_t* samples, size_t count);
