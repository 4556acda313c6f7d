#include "publish/ZipWriter.h"

#include <stdexcept>
#include <zlib.h>

namespace {

constexpr unsigned short kStored = 0, kDeflated = 8;
constexpr unsigned short kUtf8Names = 1 << 11;
constexpr unsigned short kVersion = 20;           // 2.0: deflate and folders
constexpr unsigned short kMadeOnUnix = 3 << 8;    // so the external attributes carry Unix modes
// 1 January 2026, 00:00, in MS-DOS form.
constexpr unsigned short kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1, kDosTime = 0;
// Zip64 is not written: a story is far below these.
constexpr size_t kZipLimit = 0xFFFFFFFFu;

void Put16(std::string& out, unsigned value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}
void Put32(std::string& out, unsigned long value) {
    Put16(out, unsigned(value & 0xFFFF));
    Put16(out, unsigned((value >> 16) & 0xFFFF));
}

// Raw deflate (no zlib header), as zip stores it.
std::string Deflate(const std::string& bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib could not start deflating");
    std::string out(deflateBound(&stream, uLong(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("zlib could not deflate a file");
    out.resize(stream.total_out);
    return out;
}

}  // namespace

void ZipWriter::Add(const std::string& name, const std::string& bytes, bool executable) {
    if (bytes.size() >= kZipLimit || out_.size() >= kZipLimit || name.size() > 0xFFFF)
        throw std::runtime_error("the archive would pass 4 GiB: " + name);
    Entry entry;
    entry.name = name;
    entry.crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size()));
    entry.size = bytes.size();
    entry.offset = out_.size();
    entry.executable = executable;
    std::string packed = Deflate(bytes);
    entry.method = packed.size() < bytes.size() ? kDeflated : kStored;
    const std::string& data = entry.method == kDeflated ? packed : bytes;
    entry.compressedSize = data.size();

    Put32(out_, 0x04034B50);
    Put16(out_, kVersion);
    Put16(out_, kUtf8Names);
    Put16(out_, entry.method);
    Put16(out_, kDosTime);
    Put16(out_, kDosDate);
    Put32(out_, entry.crc);
    Put32(out_, entry.compressedSize);
    Put32(out_, entry.size);
    Put16(out_, unsigned(name.size()));
    Put16(out_, 0);
    out_ += name;
    out_ += data;
    entries_.push_back(entry);
}

std::string ZipWriter::Finish() {
    const size_t directory = out_.size();
    for (const Entry& entry : entries_) {
        Put32(out_, 0x02014B50);
        Put16(out_, kMadeOnUnix | kVersion);
        Put16(out_, kVersion);
        Put16(out_, kUtf8Names);
        Put16(out_, entry.method);
        Put16(out_, kDosTime);
        Put16(out_, kDosDate);
        Put32(out_, entry.crc);
        Put32(out_, entry.compressedSize);
        Put32(out_, entry.size);
        Put16(out_, unsigned(entry.name.size()));
        Put16(out_, 0);  // extra
        Put16(out_, 0);  // comment
        Put16(out_, 0);  // disk
        Put16(out_, 0);  // internal attributes
        Put32(out_, (entry.executable ? 0100755ul : 0100644ul) << 16);
        Put32(out_, entry.offset);
        out_ += entry.name;
    }
    const size_t size = out_.size() - directory;
    if (entries_.size() > 0xFFFF || out_.size() >= kZipLimit) throw std::runtime_error("the archive would pass 4 GiB");
    Put32(out_, 0x06054B50);
    Put16(out_, 0);
    Put16(out_, 0);
    Put16(out_, unsigned(entries_.size()));
    Put16(out_, unsigned(entries_.size()));
    Put32(out_, size);
    Put32(out_, directory);
    Put16(out_, 0);
    return std::move(out_);
}
