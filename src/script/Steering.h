#pragma once
// The steering commands and the flags they steer by: set and reset a flag ("S", "R"), branch on
// one within a line ("F"), jump to another line ("J"), chain to another scenario file ("D").
#include <cstdint>

#include "system/Boolean.h"
#include "script/Rows.h"

// 256 story flags, all False at start; never reset, not even by loading another file. Flag 255
// also holds the answer of the last question (True for the first answer).
extern int16_t Flag[256];

// "S" + 2 hex digits: the flag becomes True.
void SetFlag(RunState& state, const CommandArgument& argument);
// "R" + 2 hex digits: the flag becomes False.
void ResetFlag(RunState& state, const CommandArgument& argument);
// "F" + 2 hex digits: goes on after the first "a" (flag True) or "b" (False) found in this line
// from the "F" itself on; with no such label, at the end of the line.
void Branch(RunState& state, const CommandArgument& argument);
// "J" + a decimal number: goes on at the start of that line; the text rows stay as they are.
void Jump(RunState& state, const CommandArgument& argument);
// "D" + 2 characters: loads that scenario file and starts at its line 0, on the next text row,
// with the picture area cleared down to its background picture.
void Chain(RunState& state, const CommandArgument& argument);
