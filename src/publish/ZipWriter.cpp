#include "publish/ZipWriter.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <zlib.h>

#include "system/Errors.h"
#include "system/Files.h"
#include "platform/posix/PublishFiles.h"
#include "system/TextCodec.h"

namespace {

constexpr unsigned short kStored = 0, kDeflated = 8;
constexpr unsigned short kUtf8Names = 1 << 11;
constexpr unsigned short kVersion = 20;           // 2.0: deflate and folders
constexpr unsigned short kMadeOnUnix = 3 << 8;    // so the external attributes carry Unix modes
// 1 January 2026, 00:00, in MS-DOS form.
constexpr unsigned short kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1, kDosTime = 0;
// Zip64 is not written: a story is far below these (publishing caps what a story may hold).
constexpr uint64_t kZipLimit = 0xFFFFFFFFu;
constexpr size_t kPiece = size_t(1) << 18;

void Put16(std::string& out, unsigned value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}
void Put32(std::string& out, uint64_t value) {
    Put16(out, unsigned(value & 0xFFFF));
    Put16(out, unsigned((value >> 16) & 0xFFFF));
}

using Piece = std::function<void(const char*, size_t)>;

}  // namespace

template <typename Reader>
void ZipWriter::AddEntry(const std::string& name, uint64_t size, bool executable, const Reader& read) {
    if (ToUtf8(FromUtf8(name)) != name) throw std::runtime_error("a name in the archive is not UTF-8: " + PrintableName(name));
    if (size >= kZipLimit || out_.Size() >= kZipLimit || name.size() > 0xFFFF)
        throw std::runtime_error("the archive would pass 4 GiB: " + name);
    Entry entry;
    entry.name = name;
    entry.size = size;
    entry.offset = out_.Size();
    entry.executable = executable;

    // The local header, its sizes and check sum written once the bytes are known.
    std::string header;
    Put32(header, 0x04034B50);
    Put16(header, kVersion);
    Put16(header, kUtf8Names);
    Put16(header, kDeflated);
    Put16(header, kDosTime);
    Put16(header, kDosDate);
    Put32(header, 0);
    Put32(header, 0);
    Put32(header, 0);
    Put16(header, unsigned(name.size()));
    Put16(header, 0);
    header += name;
    out_.Append(header.data(), header.size());
    const uint64_t dataStart = out_.Size();

    // Raw deflate (no zlib header), as zip stores it.
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib could not start deflating");
    std::string packed(kPiece, '\0');
    uLong crc = crc32(0, nullptr, 0);
    uint64_t seen = 0;
    const auto pump = [&](const char* bytes, size_t length, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        stream.avail_in = uInt(length);
        int result = Z_OK;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(packed.data());
            stream.avail_out = uInt(packed.size());
            result = deflate(&stream, flush);
            if (result == Z_STREAM_ERROR) throw std::runtime_error("zlib could not deflate " + name);
            out_.Append(packed.data(), packed.size() - stream.avail_out);
        } while (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    };
    try {
        read(Piece([&](const char* bytes, size_t length) {
            crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes), uInt(length));
            seen += length;
            for (size_t at = 0; at < length; at += kPiece) pump(bytes + at, std::min(kPiece, length - at), Z_NO_FLUSH);
        }));
        pump(nullptr, 0, Z_FINISH);
    } catch (...) {
        deflateEnd(&stream);
        throw;
    }
    deflateEnd(&stream);
    if (seen != size) throw std::runtime_error(name + ": the file changed while it was published");
    entry.crc = crc;
    entry.method = kDeflated;
    entry.compressedSize = out_.Size() - dataStart;
    if (entry.compressedSize >= size) {
        // Deflating did not make it smaller: stored as it is instead.
        out_.CutTo(dataStart);
        uint64_t again = 0;
        uLong check = crc32(0, nullptr, 0);
        read(Piece([&](const char* bytes, size_t length) {
            check = crc32(check, reinterpret_cast<const Bytef*>(bytes), uInt(length));
            again += length;
            out_.Append(bytes, length);
        }));
        if (again != size || check != crc) throw std::runtime_error(name + ": the file changed while it was published");
        entry.method = kStored;
        entry.compressedSize = size;
    }
    std::string method, sizes;
    Put16(method, entry.method);
    Put32(sizes, entry.crc);
    Put32(sizes, entry.compressedSize);
    Put32(sizes, entry.size);
    out_.WriteAt(entry.offset + 8, method.data(), method.size());
    out_.WriteAt(entry.offset + 14, sizes.data(), sizes.size());
    entries_.push_back(entry);
}

void ZipWriter::Add(const std::string& name, const std::string& bytes, bool executable) {
    AddEntry(name, bytes.size(), executable, [&](const Piece& piece) { piece(bytes.data(), bytes.size()); });
}

void ZipWriter::AddFile(const std::string& name, const std::string& source, uint64_t size, bool executable) {
    AddEntry(name, size, executable, [&](const Piece& piece) {
        try {
            ReadFileInPieces(source, size, piece);
        } catch (const RunTimeError& failure) {
            // Grown past its size since it was looked at, or gone.
            throw std::runtime_error(name + ": " + failure.what());
        }
    });
}

void ZipWriter::Finish() {
    const uint64_t directory = out_.Size();
    std::string out;
    for (const Entry& entry : entries_) {
        Put32(out, 0x02014B50);
        Put16(out, kMadeOnUnix | kVersion);
        Put16(out, kVersion);
        Put16(out, kUtf8Names);
        Put16(out, entry.method);
        Put16(out, kDosTime);
        Put16(out, kDosDate);
        Put32(out, entry.crc);
        Put32(out, entry.compressedSize);
        Put32(out, entry.size);
        Put16(out, unsigned(entry.name.size()));
        Put16(out, 0);  // extra
        Put16(out, 0);  // comment
        Put16(out, 0);  // disk
        Put16(out, 0);  // internal attributes
        Put32(out, (entry.executable ? 0100755ul : 0100644ul) << 16);
        Put32(out, entry.offset);
        out += entry.name;
    }
    if (entries_.size() > 0xFFFF || directory + out.size() >= kZipLimit)
        throw std::runtime_error("the archive would pass 4 GiB");
    const uint64_t size = out.size();
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, unsigned(entries_.size()));
    Put16(out, unsigned(entries_.size()));
    Put32(out, size);
    Put32(out, directory);
    Put16(out, 0);
    out_.Append(out.data(), out.size());
}
