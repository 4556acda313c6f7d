#pragma once
// For the fuzz targets: a scratch copy of the sample story that each input is written into, and
// the window's set-up on the test platform, made once per process.
#include <string>

// The scratch story folder (created on first use, removed at exit), already the program's folder.
const std::string& ScratchStory();

// Writes bytes to a file below the scratch story ("Data/Data00.Dat"); returns its full path.
std::string WriteScratch(const std::string& relativePath, const std::string& bytes);

// Opens the real audio device on SDL's dummy driver and closes it again at exit, before the
// globals the audio thread writes into are gone.
void OpenDummyAudio();
