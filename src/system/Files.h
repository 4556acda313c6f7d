#pragma once
// The program directory and the files below it. Asset paths are built the way stories made on
// Windows expect ("dir\Data\Data00.Dat"); here "\" below the story folder becomes "/", and a
// name that is missing as written is matched without regard to letter case ("DATA00.DAT", "data/").
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The real path of a Windows-style path: separators mapped, each missing component looked up
// without regard to letter case; the story folder at its start is taken as it is. When nothing
// matches, the mapped path is returned as it is.
std::string LocateFile(const std::string& windowsPath);

// The most a story's file may hold: far beyond any real story, small enough that no file can eat
// the memory or hold the window up while it is read.
constexpr size_t kScenarioFileCap = size_t(8) << 20;  // 8 MiB
constexpr size_t kMediaFileCap = size_t(64) << 20;    // 64 MiB: a picture, a sound, a piece of music

// The whole content of a file the story names (a Windows-style path, as LocateFile takes), read
// at once and closed before it returns. Opening never blocks: a named pipe, a device or a folder
// is refused as "not a regular file", found out on the descriptor opened. Throws FileNotFound,
// FileUnreadable (with the system's reason) or FileTooLarge (more than `cap` bytes), each naming
// the path.
std::string ReadAssetFile(const std::string& path, size_t cap);

// The same, for a path given as it is (no separators mapped, no other spelling looked for).
std::string ReadWholeFile(const std::string& path, size_t cap);

// Writes bytes to path through a new file beside it, made for this write alone, that then takes
// the name: a failed write leaves no half-written file, and a link planted beside it is never
// followed. A file already at path keeps its permissions; a new one gets the user's default. A
// path that holds something other than a regular file (a link, a pipe, a folder) is refused and
// left as it is. With userOnly a new file is readable and writable by the user alone. Throws
// RunTimeError naming the path when it cannot.
void WriteWholeFile(const std::string& path, const std::string& bytes, bool userOnly = false);

// Makes the folder at path and those above it that are missing, each new one open to the user
// alone. Returns "" or why it could not.
std::string MakeUserFolder(const std::string& path);

// Removes the file at path; one that is not there is no fault. Returns "" or why it could not.
std::string RemoveFile(const std::string& path);

// The names of the regular files in folder (none when it cannot be read).
std::vector<std::string> FilesIn(const std::string& folder);

// True when both paths name one existing file (however they are spelt, through links or not).
bool SameFile(const std::string& a, const std::string& b);

// True when something, a file or a folder, is at path (taken as it is).
bool PathExists(const std::string& path);
