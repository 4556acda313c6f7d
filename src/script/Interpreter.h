#pragma once
// The interpreter: reads the line store one character at a time, runs the command a character
// names or types it into the message box, and after each one redraws the box and waits 15 ms.
#include "script/Rows.h"

// Runs the loaded scenario until "e" or "G" (or until the window is closed, which ends the program).
void RunScript();
