#pragma once
// The words that go out with a published story: the Windows read-me and, for each bundle, the
// list of what it holds under which licence and where the sources are.
#include <string>

// In Japanese and English, "\n" line ends (the Windows bundle writes them as CR LF).
std::string WindowsReadMe(const std::string& title);
std::string WindowsNotices();
// soundFontFile: the soundfont's file name, empty when the bundle has none.
std::string WebNotices(const std::string& soundFontFile);
