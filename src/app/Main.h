#pragma once
// Start-up: the story folder, the window, scenario "00", the interpreter; returns the exit status.
int Main(int argc, char** argv);
