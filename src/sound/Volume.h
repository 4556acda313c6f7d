#pragma once
// The reader's loudness: the volume chosen at start-up and the mute key. Music goes on playing
// while muted, so that it is heard again from where it has got to.
#include <cstdint>

// The volume of music and effects, 0 to 100; 100, the start, leaves the sound as it is.
void SetStoryVolume(int percent);

// Mutes, or brings back the volume chosen. Returns whether it is now muted.
bool ToggleMute();
bool Muted();

// The volume chosen (what unmuting brings back), 0 to 100.
int StoryVolume();

// The reader's volume keys: the volume chosen moved by step, kept within 0 to 100, and unmuted.
// Returns the new volume.
int ChangeStoryVolume(int step);
