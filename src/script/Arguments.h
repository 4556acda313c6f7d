#pragma once
// How commands read their arguments from the characters after the command letter, and the
// 16-bit counters' arithmetic.
#include <cstdint>
#include <string>
#include <string_view>

// A number as the script writes it: blanks skipped anywhere, an optional sign, digits, a decimal
// point, an exponent with E or D, or "&H" / "&O" for hexadecimal and octal; no number gives 0.
double DecimalValue(std::u32string_view text);

// The decimal value rounded to the nearest integer (halves to the even one), which must fit
// [low, high]; otherwise Overflow naming what.
int64_t RoundedValue(std::u32string_view text, int64_t low, int64_t high, const std::string& what);

// A flag index: hexadecimal digits in either case, blanks skipped, up to the first other
// character; no digits gives 0.
int FlagIndex(std::u32string_view text);

// a + b for the interpreter's 16-bit counters; Overflow naming the counter when it does not fit.
int16_t Add16(int16_t a, int b, const char* counter);
