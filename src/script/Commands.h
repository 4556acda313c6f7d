#pragma once
// The commands beyond text, rows and endings, each in the file of its own kind.
#include "script/Interpreter.h"

// Runs the command that ch names, or types ch into the current row; false ends the run.
bool RunCommand(RunState& state, char32_t ch);
