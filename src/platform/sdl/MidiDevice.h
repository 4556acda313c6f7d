#pragma once
// The music device: standard MIDI files played by a software synthesizer (FluidSynth) into the
// shared audio device (AudioOutput.h), driven by the command strings that stories send to the
// Windows media control interface (read by MciCommand.h; the render hook is MidiRender.h). The
// device alias is always "MIDI".
// What each command does is the device's (system/MusicDevice.h); this plays.
//
// Without an audio device the commands keep their states and answers but make no sound, and a
// piece never ends.
#include <string>

std::string MidiSendCommand(const std::string& command);

// True while the piece plays or the synthesizer's notes still ring out: the audio device must run
// to render them. Never waits: while the audio thread is rendering, the answer is yes.
bool MidiIsSounding();

// Asks for the audio device, then creates the synthesizer, loads the soundfont and hooks it to
// the device; once only. The first "open" command calls it. Without a device nothing happens;
// without a soundfont, one line on stderr names the files tried and the music is silent.
void StartMidiSynth();

// Closes the open file and frees the synthesizer. Called by CloseAudio.
void StopMidiSynth();
