#pragma once
// The soundfont cut down to a story's music, as the font is cut down to its text: only the presets
// its MIDI files can select, and of those only the zones the notes they play can reach (a zone
// answers to a range of keys and velocities), the instruments those zones play and the samples
// theirs sound. What is kept is kept byte for byte (generators, modulators, sample data and the
// guard points after each sample), so that the synthesizer plays the story's music exactly as with
// the whole soundfont.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "publish/StoryFolder.h"

// A preset as a MIDI channel selects it: the bank (128: percussion) and the program.
using PresetNumber = std::pair<int, int>;
// A note as it starts: its key and its velocity.
using Note = std::pair<int, int>;
// Each preset the music can select, with the notes it plays on it.
using PlayedNotes = std::map<PresetNumber, std::set<Note>>;

// What the MIDI files play, in time order across a file's tracks: each note on the preset its
// channel had selected at that moment (a program change under the bank its bank select last named;
// program 0 before any change), channel 10 from the percussion bank; with the synthesizer's
// fallbacks (bank 0 for a melodic program missing from its bank, program 0 of the percussion bank
// for a missing drum kit). A preset selected but never played is there with no notes. A file that
// is not a standard MIDI file (or a RIFF "RMID" one) plays nothing.
PlayedNotes NotesPlayedBy(const std::vector<std::string>& midiFiles);

// The SF2 soundfont with only those presets and what their notes reach; throws std::runtime_error
// when it cannot read the soundfont.
std::string CutSoundFont(const std::string& soundFont, const PlayedNotes& played);

// The soundfont cut down to what the story's music (its .mid files) plays.
std::string StorySoundFont(const CollectedStory& story, const std::string& soundFont);
