#pragma once
// Text conversions: the scenario files' Shift-JIS (code page 932) into characters, and characters
// into the UTF-8 the font renderer and the message box take.
#include <string>
#include <string_view>

// Decodes code page 932 bytes. A byte sequence that is not valid becomes U+FFFD and decoding goes
// on with the next byte.
std::u32string DecodeCp932(std::string_view bytes);

std::string ToUtf8(std::u32string_view text);
