#pragma once
// A zip archive written straight into a file as it is made: each entry deflated (or stored, when
// deflating does not make it smaller), a story's files streamed from disk a piece at a time, so
// that what it holds at once is a piece, never a file. Names are UTF-8 and flagged so; Japanese
// folder names unpack as they are on Windows and Linux. Every entry carries the same fixed time,
// so the same story makes the same bytes.
#include <cstdint>
#include <string>
#include <vector>

class PartialFile;

class ZipWriter {
public:
    explicit ZipWriter(PartialFile& out) : out_(out) {}

    // Adds a file at name ("Story/Data/Data00.Dat", always "/"-separated, valid UTF-8); executable
    // marks it so for unzip on Linux. Throws std::runtime_error for a name that is not UTF-8 and
    // when the archive would pass what a zip without Zip64 holds.
    void Add(const std::string& name, const std::string& bytes, bool executable = false);
    // The same for the file on disk at source, which must hold size bytes as it is read.
    void AddFile(const std::string& name, const std::string& source, uint64_t size, bool executable = false);
    // The central directory, after the entries.
    void Finish();

private:
    struct Entry {
        std::string name;
        unsigned long crc = 0;
        uint64_t size = 0, compressedSize = 0, offset = 0;
        unsigned short method = 0;
        bool executable = false;
    };
    // Writes an entry whose bytes the reader hands out, piece by piece, once for each call.
    template <typename Reader>
    void AddEntry(const std::string& name, uint64_t size, bool executable, const Reader& read);

    PartialFile& out_;
    std::vector<Entry> entries_;
};
