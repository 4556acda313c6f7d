// Reading command arguments: decimal values, flag indices, and the 16-bit counters.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

#include "script/Arguments.h"
#include "system/Errors.h"

namespace {

int64_t Jump(std::u32string_view text) { return RoundedValue(text, -32768, 32767, "jump target"); }

TEST(DecimalValue, ReadsNumbersAsTheScriptWritesThem) {
    EXPECT_EQ(DecimalValue(U"250"), 250);
    EXPECT_EQ(DecimalValue(U"12\\"), 12);
    EXPECT_EQ(DecimalValue(U"1e2"), 100);
    EXPECT_EQ(DecimalValue(U"1D2"), 100);
    EXPECT_EQ(DecimalValue(U"1.5"), 1.5);
    EXPECT_EQ(DecimalValue(U"-12"), -12);
    EXPECT_EQ(DecimalValue(U"1 2\t3"), 123) << "blanks are skipped between digits";
    EXPECT_EQ(DecimalValue(U" \n7"), 7);
    EXPECT_EQ(DecimalValue(U"1e"), 1) << "an exponent without digits is not part of the number";
    EXPECT_EQ(DecimalValue(U"&HF"), 15);
    EXPECT_EQ(DecimalValue(U"&h1F"), 31);
    EXPECT_EQ(DecimalValue(U"&O17"), 15);
    EXPECT_EQ(DecimalValue(U"&"), 0);
    EXPECT_EQ(DecimalValue(U"abc"), 0);
    EXPECT_EQ(DecimalValue(U""), 0);
    EXPECT_EQ(DecimalValue(U"."), 0);
}

// Puts LC_NUMERIC in a locale that writes decimals with a comma: the system's, or one built for
// the run from the system's locale sources. False when neither can be had.
bool UseDecimalCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German"})
        if (std::setlocale(LC_NUMERIC, name) != nullptr) return true;
#ifndef _WIN32
    const std::string dir = testing::TempDir() + "tessaro-locale";
    const std::string build =
        "mkdir -p " + dir + " && localedef -i de_DE -f UTF-8 " + dir + "/decimal_comma >/dev/null 2>&1";
    if (std::system(build.c_str()) == -1) return false;  // its warnings do not matter, its result does
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "decimal_comma") != nullptr;
#else
    return false;
#endif
}

TEST(DecimalValue, ReadsAPointWhateverTheLocale) {
    if (!UseDecimalCommaLocale()) GTEST_SKIP() << "no decimal-comma locale here (Debian: locales)";
    const double value = DecimalValue(U"1.5");
    const double small = DecimalValue(U"0.6e1");
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(value, 1.5);
    EXPECT_EQ(small, 6);
    EXPECT_EQ(DecimalValue(U"1e999"), HUGE_VAL) << "too large a number still overflows";
    EXPECT_EQ(DecimalValue(U"-1e999"), -HUGE_VAL);
    EXPECT_EQ(DecimalValue(U"1e-999"), 0) << "too small a number is nothing";
    EXPECT_EQ(DecimalValue(U"+2.5"), 2.5);
    EXPECT_EQ(DecimalValue(U"+-2"), 0) << "one sign at most";
    EXPECT_EQ(DecimalValue(U"1e99999999999999999999"), HUGE_VAL);
}

TEST(RoundedValue, RoundsHalvesToEven) {
    EXPECT_EQ(Jump(U"1.5"), 2);
    EXPECT_EQ(Jump(U"2.5"), 2);
    EXPECT_EQ(Jump(U".5"), 0);
    EXPECT_EQ(Jump(U"-1.5"), -2);
    EXPECT_EQ(Jump(U"2.6"), 3);
}

TEST(RoundedValue, ValuesOutsideTheWidthOverflow) {
    EXPECT_THROW(Jump(U"4e4"), RunTimeError);
    EXPECT_THROW(Jump(U"9e9"), RunTimeError);
    EXPECT_EQ(RoundedValue(U"9e8", INT32_MIN, INT32_MAX, "wait"), 900000000);
    EXPECT_THROW(RoundedValue(U"9e9", INT32_MIN, INT32_MAX, "wait"), RunTimeError);
    try {
        Jump(U"9e9");
    } catch (const RunTimeError& error) {
        EXPECT_STREQ(error.what(), "Overflow: jump target \"9e9\" does not fit -32768 to 32767");
    }
}

TEST(FlagIndex, ReadsTwoHexDigitsInEitherCase) {
    EXPECT_EQ(FlagIndex(U"FF"), 255);
    EXPECT_EQ(FlagIndex(U"ff"), 255);
    EXPECT_EQ(FlagIndex(U"0a"), 10);
    EXPECT_EQ(FlagIndex(U"1\\"), 1) << "reading stops at the first other character";
    EXPECT_EQ(FlagIndex(U" 3"), 3);
    EXPECT_EQ(FlagIndex(U"-1"), 0) << "a sign is not a digit";
    EXPECT_EQ(FlagIndex(U"zz"), 0);
    EXPECT_EQ(FlagIndex(U""), 0);
}

TEST(Add16, StopsAtTheEdgeOfSixteenBits) {
    EXPECT_EQ(Add16(32766, 1, "x"), 32767);
    EXPECT_THROW(Add16(32767, 1, "x"), RunTimeError);
    EXPECT_THROW(Add16(32766, 3, "x"), RunTimeError);
}

}  // namespace
