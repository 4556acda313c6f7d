#pragma once
// The music device in the page: the command strings read by MciCommand, with the same states and
// answers as the Linux device ("status MIDI mode" is "playing" or "stopped", "" with nothing
// open; "play" at the end of a piece does nothing); the sound itself is the page's FluidSynth
// (js-synthesizer in an AudioWorklet) with the same soundfont.
#include <string>

std::string WebMusicCommand(const std::string& command);
