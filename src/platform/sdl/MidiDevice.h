#pragma once
// The music device: standard MIDI files played by a software synthesizer (FluidSynth) into the
// shared audio device (AudioOutput.h), driven by the command strings that stories send to the
// Windows media control interface (read by MciCommand.h; the render hook is MidiRender.h). The
// device alias is always "MIDI".
//
//   "open <path> alias MIDI"   loads the file (the path may be in double quotes, may contain
//                              spaces and may be Windows-style); does not start it. Ignored while
//                              a file is open. A missing or unreadable file leaves nothing open.
//   "play MIDI [notify]"       plays from the current position; at the end of the piece it does
//                              nothing.
//   "play MIDI from 0"         plays from the start.
//   "stop MIDI [notify]"       stops, keeping the position; sounding notes are released.
//   "seek MIDI to start"       stops and rewinds.
//   "status MIDI mode"         answers "playing" or "stopped" ("stopped" also once the piece has
//                              played to its end); "" when nothing is open.
//   "close MIDI [notify]"      stops and frees the file.
//
// Anything else is ignored and answered with "". Failures are silent. Without an audio device the
// commands keep their states and answers but make no sound, and a piece never ends.
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
