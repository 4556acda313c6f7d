#pragma once
// The soundfont cut down to a story's music, as the font is cut down to its text: only the presets
// its MIDI files can select, the instruments those presets play and the samples those instruments
// sound. What is kept is kept byte for byte (generators, modulators, sample data and the guard
// points after each sample), so that the synthesizer plays the story's music exactly as with the
// whole soundfont.
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "author/StoryFolder.h"

// A preset as a MIDI channel selects it: the bank (128: percussion) and the program.
using PresetNumber = std::pair<int, int>;

// The presets the MIDI files can select: each channel's program changes under the bank its bank
// selects name (the first program, 0, where a channel sounds before any change), channel 10 from
// the percussion bank; with the synthesizer's fallbacks (bank 0 for a melodic program missing from
// its bank, program 0 of the percussion bank for a missing drum kit). A file that is not a
// standard MIDI file (or a RIFF "RMID" one) selects nothing.
std::set<PresetNumber> PresetsPlayedBy(const std::vector<std::string>& midiFiles);

// The SF2 soundfont with only those presets and what they use; throws std::runtime_error when it
// cannot read the soundfont.
std::string CutSoundFont(const std::string& soundFont, const std::set<PresetNumber>& presets);

// The soundfont cut down to what the story's music (its .mid files) plays.
std::string StorySoundFont(const CollectedStory& story, const std::string& soundFont);
