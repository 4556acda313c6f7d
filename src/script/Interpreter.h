#pragma once
// The interpreter: reads the line store one character at a time, runs the command a character
// names or types it into the message box, and after each one redraws the box and waits 15 ms.
#include "script/Rows.h"

// Runs the loaded scenario until "e" or "G" (or until the window is closed, which ends the program),
// from its line firstLine (an author's --start; a story starts at line 0).
void RunScript(int16_t firstLine = 0);

// The state of the current (or last) run.
const RunState& CurrentRun();
