#include "script/Arguments.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <version>

#include "system/Errors.h"
#include "system/TextCodec.h"

namespace {

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\n'; }

std::u32string WithoutBlanks(std::u32string_view text) {
    std::u32string kept;
    for (char32_t c : text)
        if (!IsBlank(c)) kept.push_back(c);
    return kept;
}

int DigitValue(char32_t c) {
    if (c >= U'0' && c <= U'9') return int(c - U'0');
    if (c >= U'a' && c <= U'f') return int(c - U'a' + 10);
    if (c >= U'A' && c <= U'F') return int(c - U'A' + 10);
    return 99;
}

double RadixValue(std::u32string_view digits, int radix) {
    double value = 0;
    for (char32_t c : digits) {
        const int digit = DigitValue(c);
        if (digit >= radix) break;
        value = value * radix + digit;
    }
    return value;
}

}  // namespace

double DecimalValue(std::u32string_view text) {
    const std::u32string s = WithoutBlanks(text);
    size_t i = 0;
    if (s.size() >= 2 && s[0] == U'&') {
        if (s[1] == U'H' || s[1] == U'h') return RadixValue(std::u32string_view(s).substr(2), 16);
        if (s[1] == U'O' || s[1] == U'o') return RadixValue(std::u32string_view(s).substr(2), 8);
        return 0;
    }
    // Collect the longest prefix that reads as a number and let from_chars do the arithmetic:
    // unlike strtod it reads a decimal point whatever the user's locale writes.
    std::string number;
    if (i < s.size() && s[i] == U'+')
        ++i;  // from_chars takes no plus sign
    else if (i < s.size() && s[i] == U'-')
        number.push_back(char(s[i++]));
    size_t integerDigits = 0;  // before the point, leading zeros aside: the size of the number
    bool anyDigit = false;
    while (i < s.size() && s[i] >= U'0' && s[i] <= U'9') {
        if (integerDigits > 0 || s[i] != U'0') ++integerDigits;
        number.push_back(char(s[i++])), anyDigit = true;
    }
    if (i < s.size() && s[i] == U'.') {
        number.push_back('.');
        ++i;
        while (i < s.size() && s[i] >= U'0' && s[i] <= U'9') number.push_back(char(s[i++])), anyDigit = true;
    }
    if (!anyDigit) return 0;
    if (i < s.size() && (s[i] == U'E' || s[i] == U'e' || s[i] == U'D' || s[i] == U'd')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == U'+' || s[j] == U'-')) exponent.push_back(char(s[j++]));
        bool expDigit = false;
        while (j < s.size() && s[j] >= U'0' && s[j] <= U'9') exponent.push_back(char(s[j++])), expDigit = true;
        if (expDigit) number += exponent;
    }
    double value = 0;
#if defined(__cpp_lib_to_chars)
    if (std::from_chars(number.data(), number.data() + number.size(), value).ec !=
        std::errc::result_out_of_range)
        return value;
#else
    // A C++ library without the floating-point from_chars (the browser build's): its strtod
    // reads the same way where the locale is always "C", as it is there.
    errno = 0;
    value = std::strtod(number.c_str(), nullptr);
    if (errno != ERANGE) return value;
#endif
    // Out of range: too large a number overflows, as strtod's HUGE_VAL does; too small is zero.
    const size_t e = number.find('e');
    const long exponent = e == std::string::npos
                              ? 0
                              : std::clamp(std::strtol(number.c_str() + e + 1, nullptr, 10), -99999L, 99999L);
    const bool tooLarge = static_cast<long>(integerDigits) + exponent > 0;
    const double size = tooLarge ? HUGE_VAL : 0.0;
    return number[0] == '-' ? -size : size;
}

int64_t RoundedValue(std::u32string_view text, int64_t low, int64_t high, const std::string& what) {
    const double rounded = std::nearbyint(DecimalValue(text));  // the default mode: halves to even
    if (!(rounded >= double(low) && rounded <= double(high)))
        throw Overflow(what + " \"" + ToUtf8(text) + "\" does not fit " + std::to_string(low) +
                       " to " + std::to_string(high));
    return static_cast<int64_t>(rounded);
}

int FlagIndex(std::u32string_view text) {
    int value = 0;
    for (char32_t c : WithoutBlanks(text)) {
        const int digit = DigitValue(c);
        if (digit >= 16) break;
        value = value * 16 + digit;
    }
    return value;
}

int16_t Add16(int16_t a, int b, const char* counter) {
    const int sum = int(a) + b;
    if (sum > std::numeric_limits<int16_t>::max() || sum < std::numeric_limits<int16_t>::min())
        throw Overflow(std::string(counter) + " passes 32767");
    return static_cast<int16_t>(sum);
}
