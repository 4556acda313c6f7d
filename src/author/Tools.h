#pragma once
// The author's commands beside playing: "tessaro check", "tessaro convert" and "tessaro publish". A story folder
// that happens to be named like one is played by writing it as a path ("tessaro ./check").
#include <string>

// True when the first argument names one of the commands.
bool IsToolCommand(const std::string& argument);

// Runs the command named by argv[0] with the arguments after it; returns the exit status.
// programFolder holds the running program (publish finds the runtimes shipped with it there).
int RunTool(int argc, char** argv, const std::string& programFolder = "");
