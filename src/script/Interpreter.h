#pragma once
// The interpreter: reads the line store one character at a time, runs the command a character
// names or types it into the message box, and after each one redraws the box and waits 15 ms.
#include "script/Rows.h"

// Runs the loaded scenario until "e" or "G" (or until the window is closed, which ends the program),
// from its line firstLine (an author's --start; a story starts at line 0).
void RunScript(int16_t firstLine = 0);

// Runs the loaded scenario from a kept place: line and position (from 1) as a bookmark holds
// them, the backlog as the bookmark has filled it.
void ContinueScript(int16_t line, int16_t position);

// The state of the current (or last) run.
const RunState& CurrentRun();

// Sees every character just before it is run (the authors' "tessaro paths" follows a run with it;
// the player sets none). It may end the run by throwing anything but a RunTimeError.
using StepObserver = void (*)(const RunState& state, char32_t ch);
void SetStepObserver(StepObserver observer);
