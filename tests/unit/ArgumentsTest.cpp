// Reading command arguments: decimal values, flag indices, and the 16-bit counters.
#include <gtest/gtest.h>

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
