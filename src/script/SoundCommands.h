#pragma once
// The music and sound effect commands of the script.
#include "script/Rows.h"

// "B" + 2 characters: opens music file "Bgm" + the characters + ".mid" (closing the one open).
void MusicFileCommand(RunState& state);
// "X": plays the music, looping. "Z": stops it.
void MusicPlayCommand(RunState& state);
void MusicStopCommand(RunState& state);
// "W" + 2 characters: plays sound effect "Wave" + the characters + ".wav".
void SoundEffectCommand(RunState& state);
