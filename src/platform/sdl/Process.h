#pragma once
// The running program itself, for the platform.
#include <string>

// The folder that holds the executable; argv0 is the name it was started by, used only when the
// system cannot say.
std::string ExecutableFolder(const char* argv0);

// Hands memory that was freed back to the system (the C library keeps it otherwise).
void ReturnFreedMemory();

// Opens /dev/null on standard input, output or error where the program was started with it
// closed, so that the next file or display connection opened cannot take its number (and have
// error text written into it). Called first of all.
void OpenClosedStandardStreams();
