#include "platform/win32/WideText.h"

#include <windows.h>

#include "system/TextCodec.h"

std::wstring Widen(std::string_view utf8) {
    // Bytes that are not UTF-8 become U+FFFD.
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
    return wide;
}

std::wstring Widen(std::u32string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out.push_back(wchar_t(0xD800 + (c >> 10)));
            out.push_back(wchar_t(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(wchar_t(c > 0x10FFFF ? 0xFFFD : c));
        }
    }
    return out;
}

std::string Narrow(std::wstring_view utf16) {
    std::u32string text;
    text.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        const char32_t c = char32_t(utf16[i]);
        const bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
                          utf16[i + 1] < 0xE000;
        if (pair) {
            text.push_back(0x10000 + ((c - 0xD800) << 10) + (char32_t(utf16[i + 1]) - 0xDC00));
            ++i;
        } else {
            text.push_back(c);
        }
    }
    return ToUtf8(text);
}
