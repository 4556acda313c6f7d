#pragma once
// The story's folder and the paths of its assets. Paths are built the way stories made on
// Windows expect them ("dir\Data\Data00.Dat"); Platform::FindFile maps them to real files.
#include <string>

// The folder that holds the story: the program's folder, or the one named on the command line.
const std::string& ProgramDirectory();
void SetProgramDirectory(const std::string& directory);

// The path of file `name` in the story's folder `folder` ("Data", "Picture", "Bgm", "Wave").
std::string AssetPath(const std::string& folder, const std::string& name);
