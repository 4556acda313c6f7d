#pragma once
// The program directory and the files below it. Asset paths are built the way stories made on
// Windows expect ("dir\Data\Data00.Dat"); here "\" becomes "/", and a name that is missing as
// written is matched without regard to letter case ("DATA00.DAT", "data/").
#include <string>

// The folder that holds the story: the executable's folder, or the one named on the command line.
const std::string& ProgramDirectory();
void SetProgramDirectory(const std::string& directory);

// The folder that holds this program's executable file.
std::string ExecutableDirectory(const char* argv0);

// The real path of a Windows-style path: separators mapped, each missing component looked up
// without regard to letter case. When nothing matches, the mapped path is returned as it is.
std::string LocateFile(const std::string& windowsPath);

// The whole content of a file, read at once. Throws FileNotFound or FileUnreadable naming the path.
std::string ReadWholeFile(const std::string& path);
