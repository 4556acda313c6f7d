#pragma once
// Windows takes text as UTF-16; the rest of the program holds UTF-8 or characters.
#include <string>
#include <string_view>

std::wstring Widen(std::string_view utf8);
std::wstring Widen(std::u32string_view text);
std::string Narrow(std::wstring_view utf16);
