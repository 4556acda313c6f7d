#pragma once
// Background music: one MIDI file at a time on the music device, under the alias "MIDI". "X"
// plays it looping: the window's timer Bgm_Check looks once a second, while messages are pumped,
// and starts a finished piece again from its beginning.
#include <cstdint>
#include <string>

constexpr const char* kBgmFolder = "Bgm";

// True (-1) between "X" and the next "Z", "B" or BgmClose; False (0) otherwise.
extern int16_t BgmLoop;

// The file of the piece open ("Bgm01.mid"), empty when none is: what a bookmark keeps.
const std::string& BgmFile();

// Closes the open piece (which stops it) and opens file `name` from the Bgm folder; does not
// play it. Looping is off afterwards.
void BgmOpen(const std::string& name);

// Plays the open piece from where it stands, looping.
void BgmPlay();

// Stops the piece, keeping its position; looping off.
void BgmStop();

// Closes the piece; looping off.
void BgmClose();

// The tick of Bgm_Check: a finished piece starts again from its beginning while looping is on.
void Bgm_Check_Timer();
