#pragma once
// Files on this machine, for the platform. Asset paths are built the way stories made on Windows
// expect ("dir\Data\Data00.Dat"); here "\" becomes "/", and a name that is missing as written is
// matched without regard to letter case ("DATA00.DAT", "data/").
#include <string>

// The real path of a Windows-style path: separators mapped, each missing component looked up
// without regard to letter case. When nothing matches, the mapped path is returned as it is.
std::string LocateFile(const std::string& windowsPath);

// The whole content of a file, read at once. Throws FileNotFound or FileUnreadable naming the path.
std::string ReadWholeFile(const std::string& path);

// Writes bytes to path through a file beside it that then takes the name, so a failed write
// leaves no half-written file. Throws RunTimeError naming the path when it cannot.
void WriteWholeFile(const std::string& path, const std::string& bytes);
