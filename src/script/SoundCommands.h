#pragma once
// The music and sound effect commands of the script.
#include "script/Rows.h"

// "B" + 2 characters: opens music file "Bgm" + the characters + ".mid" (closing the one open).
void OpenMusic(RunState& state, const CommandArgument& argument);
// "X": plays the music, looping. "Z": stops it.
void PlayMusic(RunState& state, const CommandArgument& argument);
void StopMusic(RunState& state, const CommandArgument& argument);
// "W" + 2 characters: plays sound effect "Wave" + the characters + ".wav".
void PlaySoundEffect(RunState& state, const CommandArgument& argument);
