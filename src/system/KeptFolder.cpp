#include "system/KeptFolder.h"

#include "system/Errors.h"
#include "system/Files.h"

bool IsKeptName(const std::string& name) {
    if (name.empty() || name.size() > 100 || name[0] == '.') return false;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            return false;
    return true;
}

bool ReadKeptIn(const std::string& folder, char separator, const std::string& name, std::string& bytes,
                std::string& why) {
    why.clear();
    if (folder.empty() || !IsKeptName(name)) return false;
    const std::string path = folder + separator + name;
    if (!PathExists(path)) return false;
    try {
        bytes = ReadWholeFile(path, kKeptFileCap);
        return true;
    } catch (const RunTimeError& error) {
        why = error.what();
        return false;
    }
}

std::string WriteKeptIn(const std::string& folder, char separator, const std::string& name,
                        const std::string& bytes) {
    if (folder.empty()) return "no place to keep it";
    if (!IsKeptName(name)) return "not a name to keep: " + name;
    if (std::string why = MakeUserFolder(folder); !why.empty()) return why;
    try {
        WriteWholeFile(folder + separator + name, bytes, true);
    } catch (const RunTimeError& error) {
        return error.what();
    }
    return "";
}

std::string ForgetKeptIn(const std::string& folder, char separator, const std::string& name) {
    if (folder.empty()) return "";
    if (!name.empty()) return IsKeptName(name) ? RemoveFile(folder + separator + name) : "";
    std::string why;
    // Only what the program itself would have written: another file put there is left alone.
    for (const std::string& file : FilesIn(folder))
        if (IsKeptName(file))
            if (std::string failed = RemoveFile(folder + separator + file); !failed.empty()) why = failed;
    return why;
}

// The machines with folders keep the reader's files in the folder KeptPlace names.
bool Platform::ReadKept(Kept place, const std::string& name, std::string& bytes, std::string& why) {
    return ReadKeptIn(KeptPlace(place), KeptSeparator(), name, bytes, why);
}

std::string Platform::WriteKept(Kept place, const std::string& name, const std::string& bytes) {
    return WriteKeptIn(KeptPlace(place), KeptSeparator(), name, bytes);
}

std::string Platform::ForgetKept(Kept place, const std::string& name) {
    return ForgetKeptIn(KeptPlace(place), KeptSeparator(), name);
}
