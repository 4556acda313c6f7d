#pragma once
// What only publishing needs of the files, on the one machine that publishes (Linux): files too
// large to hold whole, read piece by piece, and a zip written under no name until it is whole.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
