#pragma once
// The command letters: each character of a line is one of them, or story text. Each letter's
// handler is named for what it does, a verb and its object (ShowPicture, PlaySoundEffect, Jump),
// and takes the run's state; its header says which letter it serves and what argument it reads.
#include "script/Rows.h"

// Runs the command that ch names, or types ch into the current row; false ends the run.
bool RunCommand(RunState& state, char32_t ch);
