#pragma once
// "tessaro publish": a checked story folder becomes what players download, a web bundle and a
// Windows bundle, written only once each is whole.
#include <string>
#include <vector>

// The command with its arguments (after "publish"); programFolder is where the running program
// lies, to find the runtimes shipped with it. Returns the exit status: 0 published, 1 refused
// (the story's errors, or a runtime missing: nothing written), 2 a usage error.
int Publish(const std::vector<std::string>& arguments, const std::string& programFolder);
