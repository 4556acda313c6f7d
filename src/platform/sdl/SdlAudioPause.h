#pragma once
// The audio device mixes only while music or a sound effect sounds, so a story without sound, or
// between its sounds, costs nothing on the audio side. Called after anything that may start a
// sound, and at every pump of the window's events, which is where the end of a sound is noticed.
// The music's position, its looping and the effects are untouched: a paused device only stops
// asking them for samples, and nothing that sounds is ever paused.
void RunAudioOnlyWhileSounding();
