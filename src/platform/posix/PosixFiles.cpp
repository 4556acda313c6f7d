// The story's files on a POSIX system (Linux, and the browser's in-memory file system): the
// bodies of system/Files.h.
#include "system/Files.h"
#include "platform/posix/PublishFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>
#include <signal.h>
#include <vector>

#include "system/AssetPath.h"
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
    // The story folder's own path is taken as it is, "\" and all: only the names below it, which
    // the scenario gives, are Windows-style.
    const std::string& folder = ProgramDirectory();
    const bool inFolder = windowsPath.size() > folder.size() && windowsPath[folder.size()] == '\\' &&
                          windowsPath.compare(0, folder.size(), folder) == 0;
    const std::string kept = inFolder ? folder : "";
    std::string below = windowsPath.substr(kept.size());
    for (char& c : below)
        if (c == '\\') c = '/';
    const std::string mapped = kept + below;
    if (mapped.empty() || mapped.find('\0') != std::string::npos || Exists(mapped)) return mapped;

    // Walk the components, keeping the exact name where it exists and looking for another
    // spelling where it does not.
    const bool absolute = !inFolder && mapped.front() == '/';
    std::string current = inFolder ? folder : absolute ? "" : ".";
    size_t start = 0;
    while (start <= below.size()) {
        size_t end = below.find('/', start);
        if (end == std::string::npos) end = below.size();
        const std::string part = below.substr(start, end - start);
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
    return inFolder || absolute ? current : current.substr(2);
}

std::string ReadAssetFile(const std::string& path, size_t cap) { return ReadWholeFile(LocateFile(path), cap); }

namespace {

// The file at real opened for reading, known to be a regular file of at most cap bytes.
int OpenRegular(const std::string& real, uint64_t cap, uint64_t& size) {
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
        throw FileTooLarge(real, size_t(cap));
    }
    size = uint64_t(info.st_size);
    return fd;
}

}  // namespace

uint64_t ReadFileInPieces(const std::string& real, uint64_t cap,
                          const std::function<void(const char* bytes, size_t size)>& piece) {
    uint64_t size = 0, read = 0;
    const int fd = OpenRegular(real, cap, size);
    std::vector<char> buffer(size_t(1) << 18);
    try {
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got == 0) break;
            if (got < 0) {
                if (errno == EINTR) continue;
                throw FileUnreadable(real, std::strerror(errno));
            }
            read += uint64_t(got);
            // A file that grows while it is read is held to the same cap.
            if (read > cap) throw FileTooLarge(real, size_t(cap));
            piece(buffer.data(), size_t(got));
        }
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return read;
}

std::string ReadWholeFile(const std::string& real, size_t cap) {
    uint64_t size = 0;
    const int fd = OpenRegular(real, cap, size);
    std::string content;
    content.reserve(size_t(size));
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
    return RunTimeError("Cannot write file: " + PrintableName(path) + " (" + std::strerror(error) + ")");
}

// A new file beside path, made for this write alone: its name is unused (O_EXCL) and no link
// planted under it is followed. Its mode is mode less the user's umask, as any new file's.
int CreateBeside(const std::string& path, std::string& made, mode_t mode) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        made = folder + "." + name + ".";
        for (int i = 0; i < 8; ++i) made += kLetters[random() % (sizeof kLetters - 1)];
        const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

void WriteWholeFile(const std::string& path, const std::string& bytes, bool userOnly) {
    if (path.find('\0') != std::string::npos) throw FileUnwritable(path, EINVAL);
    // What stands at path now: a regular file keeps its mode; anything else (a link, a named
    // pipe, a device, a folder) is not replaced.
    struct stat target{};
    const bool exists = ::lstat(path.c_str(), &target) == 0;
    if (exists && !S_ISREG(target.st_mode))
        throw RunTimeError("Cannot write file: " + PrintableName(path) + " (not a regular file; nothing was replaced)");
    std::string partial;
    const int fd = CreateBeside(path, partial, userOnly ? 0600 : 0666);
    if (fd < 0) throw FileUnwritable(path, errno);
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(partial.c_str());
        return FileUnwritable(path, error);
    };
    if (exists && ::fchmod(fd, target.st_mode & 07777) != 0) throw fail(errno);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) throw fail(errno);
        written += size_t(put);
    }
    if (::fsync(fd) != 0) throw fail(errno);
    if (::close(fd) != 0 || ::rename(partial.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(partial.c_str());
        throw FileUnwritable(path, error);
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first{}, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool PathExists(const std::string& path) {
    struct stat status{};
    return ::stat(path.c_str(), &status) == 0;
}

std::string MakeUserFolder(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return "no such folder";
    struct stat info{};
    if (::stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode) ? "" : PrintableName(path) + " is not a folder";
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        if (std::string why = MakeUserFolder(path.substr(0, slash)); !why.empty()) return why;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return PrintableName(path) + ": " + std::strerror(errno);
    return "";
}

std::string RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return "";
    return PrintableName(path) + ": " + std::strerror(errno);
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = ::readdir(dir)) {
        struct stat info{};
        const std::string name = entry->d_name;
        if (::lstat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

namespace {

constexpr const char* kPartialPrefix = ".tessaro-partial-";

std::string Joined(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

PartialFile::PartialFile(const std::string& folder) : folder_(folder.empty() ? "." : folder) {
#ifdef O_TMPFILE
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd_ >= 0) return;
    // Only where the file system cannot make a file without a name does a named one do.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) throw FileUnwritable(folder_, errno);
#endif
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        named_ = Joined(folder_, kPartialPrefix + std::to_string(::getpid()) + "-");
        for (int i = 0; i < 8; ++i) named_ += kLetters[random() % (sizeof kLetters - 1)];
        fd_ = ::open(named_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) throw FileUnwritable(folder_, errno);
}

PartialFile::~PartialFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!named_.empty()) ::unlink(named_.c_str());
}

void PartialFile::WriteAt(uint64_t offset, const char* bytes, size_t size) {
    size_t written = 0;
    while (written < size) {
        const ssize_t put = ::pwrite(fd_, bytes + written, size - written, off_t(offset + written));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) throw FileUnwritable(folder_, errno);
        written += size_t(put);
    }
    size_ = std::max<uint64_t>(size_, offset + size);
}

void PartialFile::Append(const char* bytes, size_t size) { WriteAt(size_, bytes, size); }

void PartialFile::CutTo(uint64_t size) {
    if (::ftruncate(fd_, off_t(size)) != 0) throw FileUnwritable(folder_, errno);
    size_ = size;
}

void PartialFile::Keep(const std::string& path) {
    if (path.find('\0') != std::string::npos) throw FileUnwritable(path, EINVAL);
    struct stat target{};
    const bool exists = ::lstat(path.c_str(), &target) == 0;
    if (exists && !S_ISREG(target.st_mode))
        throw RunTimeError("Cannot write file: " + PrintableName(path) + " (not a regular file; nothing was replaced)");
    const mode_t umask = ::umask(0);
    ::umask(umask);
    if (::fchmod(fd_, exists ? target.st_mode & 07777 : 0666 & ~umask) != 0 || ::fsync(fd_) != 0)
        throw FileUnwritable(path, errno);
    if (named_.empty()) {
        // A name for the whole file, for the moment before it takes path's; a run killed in that
        // moment leaves it under a name that RemoveLeftovers knows.
        static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::random_device random;
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = Joined(folder_, kPartialPrefix + std::to_string(::getpid()) + "-");
            for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                named_ = name;
                break;
            }
            if (errno != EEXIST) throw FileUnwritable(path, errno);
        }
        if (named_.empty()) throw FileUnwritable(path, EEXIST);
    }
    if (::rename(named_.c_str(), path.c_str()) != 0) throw FileUnwritable(path, errno);
    named_.clear();
}

std::vector<std::string> PartialFile::RemoveLeftovers(const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::string> removed;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return removed;
    const auto lowerOrDigit = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); };
    const auto suffixOfEight = [&](const std::string& name, size_t from) {
        if (name.size() != from + 8) return false;
        for (size_t i = from; i < name.size(); ++i)
            if (!lowerOrDigit(name[i])) return false;
        return true;
    };
    std::vector<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        bool leftover = false;
        if (name.rfind(kPartialPrefix, 0) == 0) {
            // ".tessaro-partial-PID-xxxxxxxx", PID a process that is no more.
            const size_t dash = name.find('-', std::strlen(kPartialPrefix));
            const std::string pid = name.substr(std::strlen(kPartialPrefix), dash - std::strlen(kPartialPrefix));
            leftover = dash != std::string::npos && !pid.empty() && pid.size() < 10 &&
                       pid.find_first_not_of("0123456789") == std::string::npos && suffixOfEight(name, dash + 1) &&
                       ::kill(pid_t(std::stol(pid)), 0) != 0 && errno == ESRCH;
        }
        for (const std::string& zip : names)
            leftover = leftover || (name.rfind("." + zip + ".", 0) == 0 && suffixOfEight(name, zip.size() + 2));
        if (leftover) found.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : found) {
        struct stat info{};
        const std::string path = Joined(folder, name);
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::unlink(path.c_str()) == 0)
            removed.push_back(name);
    }
    return removed;
}
