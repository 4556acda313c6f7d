#include "system/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "system/Errors.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The entry of directory whose name matches name without regard to letter case, or "".
std::string FindIgnoringCase(const std::string& directory, const std::string& name) {
    DIR* dir = ::opendir(directory.empty() ? "/" : directory.c_str());
    if (dir == nullptr) return "";
    std::string found;
    while (dirent* entry = ::readdir(dir)) {
        if (SameIgnoringCase(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

std::string LocateFile(const std::string& windowsPath) {
    std::string mapped = windowsPath;
    for (char& c : mapped)
        if (c == '\\') c = '/';
    if (mapped.empty() || mapped.find('\0') != std::string::npos || Exists(mapped)) return mapped;

    // Walk the components, keeping the exact name where it exists and looking for another
    // spelling where it does not.
    const bool absolute = mapped.front() == '/';
    std::string current = absolute ? "" : ".";
    size_t start = 0;
    while (start <= mapped.size()) {
        size_t end = mapped.find('/', start);
        if (end == std::string::npos) end = mapped.size();
        const std::string part = mapped.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        std::string candidate = current + "/" + part;
        if (!Exists(candidate)) {
            const std::string other = FindIgnoringCase(current.empty() ? "/" : current, part);
            if (other.empty()) return mapped;
            candidate = current + "/" + other;
        }
        current = candidate;
    }
    return absolute ? current : current.substr(2);
}

std::string ReadAssetFile(const std::string& path, size_t cap) {
    const std::string real = LocateFile(path);
    // A name read from a script may hold a NUL, which no file name can.
    if (real.find('\0') != std::string::npos) throw FileNotFound(real);
    // Without O_NONBLOCK, opening a named pipe waits for a writer that never comes.
    const int fd = ::open(real.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENXIO) throw FileNotFound(real);
        throw FileUnreadable(real, std::strerror(errno));
    }
    // The type is asked of the descriptor just opened, so nothing can swap the file in between.
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw FileUnreadable(real, "not a regular file");
    }
    if (uint64_t(info.st_size) > cap) {
        ::close(fd);
        throw FileTooLarge(real, cap);
    }
    std::string content;
    content.reserve(size_t(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            throw FileUnreadable(real, std::strerror(error));
        }
        content.append(buffer, size_t(got));
        // A file that grows while it is read is held to the same cap.
        if (content.size() > cap) {
            ::close(fd);
            throw FileTooLarge(real, cap);
        }
    }
    ::close(fd);
    return content;
}

namespace {
RunTimeError FileUnwritable(const std::string& path, int error) {
    return RunTimeError("Cannot write file: " + path + " (" + std::strerror(error) + ")");
}
}  // namespace

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    const std::string partial = path + ".partial";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw FileUnwritable(path, errno);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(partial.c_str());
            throw FileUnwritable(path, error);
        }
        written += size_t(put);
    }
    if (::close(fd) != 0 || ::rename(partial.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(partial.c_str());
        throw FileUnwritable(path, error);
    }
}
