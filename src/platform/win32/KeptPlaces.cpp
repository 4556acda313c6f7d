// Where the reader's place and settings are kept on Windows: %APPDATA%\Tessaro, the bookmarks in
// its folder Bookmarks and the settings beside it.
#include <windows.h>

#include <cstdlib>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WideText.h"

namespace {

std::string Folder(Kept place) {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || appData[0] == L'\0') return "";
    const std::string base = Narrow(appData) + "\\Tessaro";
    return place == Kept::Bookmarks ? base + "\\Bookmarks" : base;
}

}  // namespace

std::string Win32Platform::KeptPlace(Kept place) { return Folder(place); }
