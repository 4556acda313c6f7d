#pragma once
// The command letters: each character of a line is one of them, or story text.
#include "script/Rows.h"

// Runs the command that ch names, or types ch into the current row; false ends the run.
bool RunCommand(RunState& state, char32_t ch);
