#pragma once
// The program directory and the files below it. Asset paths are built the way stories made on
// Windows expect ("dir\Data\Data00.Dat"); here "\" below the story folder becomes "/", and a
// name that is missing as written is matched without regard to letter case ("DATA00.DAT", "data/").
#include <cstddef>
#include <cstdint>
#include <functional>
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
// left as it is. Throws RunTimeError naming the path when it cannot.
void WriteWholeFile(const std::string& path, const std::string& bytes);

// True when both paths name one existing file (however they are spelt, through links or not).
bool SameFile(const std::string& a, const std::string& b);

// True when something, a file or a folder, is at path (taken as it is).
bool PathExists(const std::string& path);

// Reads the file at real path (taken as it is) piece by piece, handing each to piece, never
// more than cap bytes: for files too large to hold whole. Refuses what ReadWholeFile refuses and
// throws as it does. Returns how many bytes were read.
uint64_t ReadFileInPieces(const std::string& real, uint64_t cap,
                          const std::function<void(const char* bytes, size_t size)>& piece);

// A file being written in a folder that takes its name only once it is whole (Keep): until then
// it has none, so a run killed in the middle leaves nothing behind. Where the file system cannot
// make a file without a name, it is made under a hidden name holding this process's number,
// which RemoveLeftovers takes away once that process is gone. For publishing, on Linux.
class PartialFile {
public:
    explicit PartialFile(const std::string& folder);  // throws RunTimeError naming the folder
    ~PartialFile();                                   // a file never kept is gone
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    void Append(const char* bytes, size_t size);
    void WriteAt(uint64_t offset, const char* bytes, size_t size);
    void CutTo(uint64_t size);  // drops what was appended past size
    uint64_t Size() const { return size_; }
    // Gives the whole file the name path (in the same folder), over an earlier regular file there
    // (whose permissions it keeps); throws RunTimeError naming path, leaving what was there, when
    // path holds something else (a link, a folder) or the file cannot be finished.
    void Keep(const std::string& path);

    // Removes what killed runs left in folder: this program's hidden partial files whose process
    // is gone, and an earlier version's ".NAME.xxxxxxxx" beside each NAME given. Returns their names.
    static std::vector<std::string> RemoveLeftovers(const std::string& folder, const std::vector<std::string>& names);

private:
    std::string folder_, named_;  // named_: the hidden name, when the file has one
    int fd_ = -1;
    uint64_t size_ = 0;
};
