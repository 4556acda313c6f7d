#pragma once
// A zip archive built in memory: each file deflated (or stored, when deflating does not make it
// smaller), with UTF-8 names, so Japanese folder names unpack as they are on Windows and Linux.
// Every entry carries the same fixed time, so the same story makes the same bytes.
#include <string>
#include <vector>

class ZipWriter {
public:
    // Adds a file at name ("Story/Data/Data00.Dat", always "/"-separated); executable marks it
    // so for unzip on Linux.
    void Add(const std::string& name, const std::string& bytes, bool executable = false);
    // The whole archive: the entries, then the central directory.
    std::string Finish();

private:
    struct Entry {
        std::string name;
        unsigned long crc = 0;
        size_t size = 0, compressedSize = 0, offset = 0;
        unsigned short method = 0;
        bool executable = false;
    };
    std::vector<Entry> entries_;
    std::string out_;
};
