#pragma once
// The author's commands beside playing: "tessaro check", "tessaro convert" and "tessaro publish". A story folder
// that happens to be named like one is played by writing it as a path ("tessaro ./check").
#include <functional>
#include <string>
#include <vector>

// True when the first argument names one of the commands.
bool IsToolCommand(const std::string& argument);

// "tessaro publish" (src/publish), where the program has it: the command's arguments and the
// program's folder in, the exit status out. Only the Linux program links it in.
using PublishCommand = std::function<int(const std::vector<std::string>&, const std::string&)>;

// Runs the command named by argv[0] with the arguments after it; returns the exit status.
// programFolder holds the running program (publish finds the runtimes shipped with it there);
// without publish, "publish" says it is a command of the Linux program.
int RunTool(int argc, char** argv, const std::string& programFolder = "", const PublishCommand& publish = nullptr);
