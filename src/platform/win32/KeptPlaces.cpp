// Where the reader's place and settings are kept on Windows: %APPDATA%\Tessaro, the bookmarks in
// its folder Bookmarks and the settings beside it.
#include <windows.h>

#include <cstdlib>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WideText.h"
#include "system/KeptFolder.h"

namespace {

std::string Folder(Kept place) {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || appData[0] == L'\0') return "";
    const std::string base = Narrow(appData) + "\\Tessaro";
    return place == Kept::Bookmarks ? base + "\\Bookmarks" : base;
}

}  // namespace

bool Win32Platform::ReadKept(Kept place, const std::string& name, std::string& bytes, std::string& why) {
    return ReadKeptIn(Folder(place), '\\', name, bytes, why);
}

std::string Win32Platform::WriteKept(Kept place, const std::string& name, const std::string& bytes) {
    return WriteKeptIn(Folder(place), '\\', name, bytes);
}

std::string Win32Platform::ForgetKept(Kept place, const std::string& name) {
    return ForgetKeptIn(Folder(place), '\\', name);
}

std::string Win32Platform::KeptPlace(Kept place) { return Folder(place); }
