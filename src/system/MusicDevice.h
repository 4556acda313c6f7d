#pragma once
// The music device as stories see it, the same on every machine that plays MIDI itself: the
// command strings they send to the Windows media control interface (read by MciCommand.h) move
// one piece through open, playing and stopped. The machine's synthesizer (MusicPlayer) only
// plays. The device alias is always "MIDI".
//
//   "open <path> alias MIDI"   loads the file (the path may be in double quotes, may contain
//                              spaces and may be Windows-style); does not start it. Ignored while
//                              a file is open. A missing or unreadable file, or one that is not
//                              a MIDI file, leaves nothing open.
//   "play MIDI [notify]"       plays from the current position; at the end of the piece it does
//                              nothing.
//   "play MIDI from 0"         plays from the start.
//   "stop MIDI [notify]"       stops, keeping the position; sounding notes are released.
//   "seek MIDI to start"       stops and rewinds.
//   "status MIDI mode"         answers "playing" or "stopped" ("stopped" also once the piece has
//                              played to its end); "" when nothing is open.
//   "close MIDI [notify]"      stops and frees the file.
//
// Anything else is ignored and answered with "". Failures are silent.
#include <string>

#include "system/MciCommand.h"

// A machine's synthesizer: what the device asks of it, always with a piece loaded but for Load.
class MusicPlayer {
public:
    virtual ~MusicPlayer() = default;
    // The piece (a standard MIDI file), at its start and not playing.
    virtual void Load(const std::string& midi) = 0;
    // Plays from where the piece is, or from its start; false when it could not start.
    virtual bool Play(bool fromStart) = 0;
    // Stops where it is; sounding notes are released.
    virtual void Stop() = 0;
    // Stops and goes back to the start.
    virtual void Rewind() = 0;
    // Lets the piece go, silent at once.
    virtual void Close() = 0;
    // The position is at the piece's end.
    virtual bool AtEnd() = 0;
    // A piece that was started has ended: played to its end, or found unplayable.
    virtual bool Ended() { return AtEnd(); }
};

class MusicDevice {
public:
    // Does what the command asks of player (the command read by ParseMciCommand); returns the
    // device's answer, "" when it has none.
    std::string Send(const MciCommand& command, MusicPlayer& player);
    // "close MIDI", for a machine that lets its synthesizer go.
    void Close(MusicPlayer& player);

private:
    bool open = false;
    bool playing = false;  // playing as far as the commands go; the piece may have ended since
};

// A standard MIDI file ("MThd" header), or the one inside a RIFF "RMID" container as Windows
// stores them; "" when the bytes are neither.
std::string StandardMidiFile(const std::string& content);
