#pragma once
// Text conversions: the scenario files' Shift-JIS (code page 932) into characters, and characters
// into the UTF-8 the font renderer and the message box take.
#include <string>
#include <string_view>
#include <vector>

// Decodes code page 932 bytes. A byte sequence that is not valid becomes U+FFFD and decoding goes
// on with the next byte; invalid, when given, receives the offset of each such byte in order.
std::u32string DecodeCp932(std::string_view bytes, std::vector<size_t>* invalid = nullptr);

// The shape of code page 932 that machines without a whole decoder share: ASCII and the
// half-width katakana are single bytes, every other character two, whose value pair gives (0 when
// lead and trail are not one); otherwise as DecodeCp932.
using Cp932Pair = char32_t (*)(unsigned char lead, unsigned char trail);
std::u32string DecodeCp932Pairs(std::string_view bytes, std::vector<size_t>* invalid, Cp932Pair pair);

// Encodes text as code page 932 into out; false when a character has no form there, with its
// index in failedAt.
bool EncodeCp932(std::u32string_view text, std::string& out, size_t& failedAt);

std::string ToUtf8(std::u32string_view text);
// Decodes UTF-8 strictly: each byte that does not begin a well-formed character (an overlong
// form, a surrogate, a value past U+10FFFF, a cut-short or stray byte) becomes U+FFFD.
std::u32string FromUtf8(std::string_view text);
