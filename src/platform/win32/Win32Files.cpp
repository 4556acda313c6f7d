// Files on Windows: paths are wide-character, and the file system already matches names without
// regard to letter case and takes "\" as the separator.
#include <windows.h>

#include "system/Errors.h"
#include "system/Files.h"
#include "platform/win32/WideText.h"

namespace {

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", length);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : Narrow(message);
}

}  // namespace

std::string LocateFile(const std::string& windowsPath) { return windowsPath; }

std::string ReadAssetFile(const std::string& path, size_t cap) { return ReadWholeFile(path, cap); }

std::string ReadWholeFile(const std::string& path, size_t cap) {
    // A name read from a script may hold a NUL, which no file name can.
    if (path.find('\0') != std::string::npos) throw FileNotFound(path);
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME)
            throw FileNotFound(path);
        throw FileUnreadable(path, SystemMessage(code));
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        throw FileUnreadable(path, "not a regular file");
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && uint64_t(size.QuadPart) > cap) {
        CloseHandle(file);
        throw FileTooLarge(path, cap);
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            const DWORD code = GetLastError();
            CloseHandle(file);
            throw FileUnreadable(path, SystemMessage(code));
        }
        if (got == 0) break;
        content.append(buffer, got);
        if (content.size() > cap) {  // it grew while it was read
            CloseHandle(file);
            throw FileTooLarge(path, cap);
        }
    }
    CloseHandle(file);
    return content;
}

// The user's own folders (%APPDATA%) are the user's alone already: userOnly asks nothing more.
void WriteWholeFile(const std::string& path, const std::string& bytes, bool) {
    const std::wstring target = Widen(path);
    // Only a regular file is replaced: not a folder, a link or a device.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0)
        throw RunTimeError("Cannot write file: " + path + " (not a regular file; nothing was replaced)");
    // A new file beside it, made for this write alone: CREATE_NEW never opens one already there.
    std::wstring partial;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        partial = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(GetTickCount() + attempt);
        file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) throw RunTimeError("Cannot write file: " + path + " (" + SystemMessage(GetLastError()) + ")");
    DWORD written = 0;
    const bool wrote = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    const DWORD code = GetLastError();
    CloseHandle(file);
    // A failed write leaves no half-written file.
    if (!wrote || !MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD why = wrote ? GetLastError() : code;
        DeleteFileW(partial.c_str());
        throw RunTimeError("Cannot write file: " + path + " (" + SystemMessage(why) + ")");
    }
}

namespace {

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file = CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return FileIdentity(a, first) && FileIdentity(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

// Through the wide-character call: a path in UTF-8 holds characters the ANSI code page may lack
// (a story folder named in Japanese on a Western Windows).
bool PathExists(const std::string& path) {
    return path.find('\0') == std::string::npos && GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string MakeUserFolder(const std::string& path) {
    if (path.empty()) return "no such folder";
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "" : path + " is not a folder";
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':')
        if (std::string why = MakeUserFolder(path.substr(0, slash)); !why.empty()) return why;
    if (!CreateDirectoryW(Widen(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return path + ": " + SystemMessage(GetLastError());
    return "";
}

std::string RemoveFile(const std::string& path) {
    if (DeleteFileW(Widen(path).c_str())) return "";
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return "";
    return path + ": " + SystemMessage(code);
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Widen(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0)
            names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}
