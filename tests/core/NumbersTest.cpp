#include "base/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kalvenor {
namespace {

constexpr NumberFormat kComma{','};

TEST(StrToFloat, AcceptsTheProgramsOwnNumberForms) {
    EXPECT_EQ(StrToFloat("2,5", kComma), 2.5);
    EXPECT_EQ(StrToFloat("  -0,5  ", kComma), -0.5);
    EXPECT_EQ(StrToFloat("+10", kComma), 10);
    EXPECT_EQ(StrToFloat(",5", kComma), 0.5);
    EXPECT_EQ(StrToFloat("5,", kComma), 5);
    EXPECT_EQ(StrToFloat("00", kComma), 0);
    EXPECT_EQ(StrToFloat("1,5E3", kComma), 1500);
    EXPECT_EQ(StrToFloat("1e-3", kComma), 0.001);
    EXPECT_EQ(StrToFloat("1E+2", kComma), 100);
    EXPECT_EQ(StrToFloat("1e-400", kComma), 0);
    EXPECT_EQ(StrToFloat("0,001e-400", kComma), 0);
    EXPECT_EQ(StrToFloat("2.5", NumberFormat{'.'}), 2.5);
}

TEST(StrToFloat, RefusesEverythingElseNamingTheText) {
    for (const char* text :
         {"",    "   ", "2.5", "1 000", "1,000,5", "inf", "nan",   "INF",    "0x10",   "1e",
          "1e+", "e5",  "-",   ",",     "abc",     "5a",  "1e400", "-1e400", "1,5 e3", "12\t"}) {
        double value = 0;
        EXPECT_FALSE(TryStrToFloat(text, kComma, value)) << '"' << text << '"';
    }
    try {
        StrToFloat("abc", kComma);
        FAIL() << "no error";
    } catch (const ConvertError& error) {
        EXPECT_STREQ(error.what(), "\"abc\" не является числом.");
    }
}

TEST(StrToFloat, ExponentsOfAnyLengthAreClampedNotWrapped) {
    EXPECT_EQ(StrToFloat("0,0001E-99999999999999999999", kComma), 0);
    EXPECT_EQ(StrToFloat("-5E-9223372036854775808", kComma), 0);
    EXPECT_EQ(StrToFloat("0E99999999999999999999", kComma), 0);
    EXPECT_EQ(StrToFloat("1E000000000000000000000003", kComma), 1000);
    // Digits before the separator make up for a negative exponent.
    EXPECT_EQ(StrToFloat("1000E-3", kComma), 1);
    EXPECT_EQ(StrToFloat("0,001E3", kComma), 1);
    for (const char* text : {"5E99999999999999999999", "-5E9223372036854775807",
                             "0,0001E+99999999999999999999", "1E309"}) {
        double value = 0;
        EXPECT_FALSE(TryStrToFloat(text, kComma, value)) << text;
    }
}

TEST(FloatToStr, GeneralFormWithFifteenDigits) {
    EXPECT_EQ(FloatToStr(0, kComma), "0");
    EXPECT_EQ(FloatToStr(45.455, kComma), "45,455");
    EXPECT_EQ(FloatToStr(2.5, kComma), "2,5");
    EXPECT_EQ(FloatToStr(-3.1, kComma), "-3,1");
    EXPECT_EQ(FloatToStr(20, kComma), "20");
    EXPECT_EQ(FloatToStr(3.10, kComma), "3,1");
    EXPECT_EQ(FloatToStr(0.1 + 0.2, kComma), "0,3");
    EXPECT_EQ(FloatToStr(1.0 / 3, kComma), "0,333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3, kComma), "0,666666666666667");
    EXPECT_EQ(FloatToStr(0.00001, kComma), "0,00001");
    EXPECT_EQ(FloatToStr(0.000012345, kComma), "0,000012345");
    EXPECT_EQ(FloatToStr(0.000001, kComma), "1E-6");
    EXPECT_EQ(FloatToStr(-0.0000015, kComma), "-1,5E-6");
    EXPECT_EQ(FloatToStr(123456789012345.0, kComma), "123456789012345");
    EXPECT_EQ(FloatToStr(1234567890123456.0, kComma), "1,23456789012346E15");
    EXPECT_EQ(FloatToStr(1e20, kComma), "1E20");
    EXPECT_EQ(FloatToStr(45.455, NumberFormat{'.'}), "45.455");
}

TEST(FloatToStr, RoundTripsTheDisplayedValueOfEveryResult) {
    for (double v : {45.455, 32.895, 16.902, 15.211, 2.273, 149.69, 81.48, 0.32, 630.0}) {
        EXPECT_EQ(StrToFloat(FloatToStr(v, kComma), kComma), v);
    }
}

TEST(FloatToStr, WhatIsWrittenAtTheEdgesOfTheRangeReadsBack) {
    constexpr double kLargest = std::numeric_limits<double>::max();
    EXPECT_EQ(FloatToStr(kLargest, kComma), "1,79769313486232E308");
    EXPECT_EQ(StrToFloat(FloatToStr(kLargest, kComma), kComma), kLargest);
    EXPECT_EQ(StrToFloat(FloatToStr(-kLargest, kComma), kComma), -kLargest);
    // Just below the written form of the largest double: an ordinary value.
    EXPECT_EQ(StrToFloat("1,79769313486231E308", kComma), 1.79769313486231e308);
    // Beyond what the 15-digit form of the largest double can stand for.
    double value = 0;
    EXPECT_FALSE(TryStrToFloat("1,79769313486233E308", kComma, value));
    EXPECT_FALSE(TryStrToFloat("1,8E308", kComma, value));
    // Past it in the 17th digit, though a tenth of it rounds to the same double.
    EXPECT_FALSE(TryStrToFloat("001,797693134862320100010000000000E308", kComma, value));
    // The same value written other ways round down to the largest double.
    EXPECT_EQ(StrToFloat("0017976931348623,2000E295", kComma), kLargest);
    EXPECT_EQ(StrToFloat("0,0179769313486232E310", kComma), kLargest);
    const double smallest = std::numeric_limits<double>::denorm_min();
    EXPECT_EQ(StrToFloat(FloatToStr(smallest, kComma), kComma), smallest);
}

TEST(RoundTo, TiesToEvenAndNearestDouble) {
    EXPECT_EQ(RoundTo(20.004, -2), 20.0);
    EXPECT_EQ(RoundTo(45.45454545, -3), 45.455);
    EXPECT_EQ(RoundTo(45.455, -1), 45.5);
    EXPECT_EQ(RoundTo(3.695, -2), 3.69);  // 3.695 is stored just below the tie
    EXPECT_EQ(RoundTo(0.125, -2), 0.12);  // exact tie goes to even
    EXPECT_EQ(RoundTo(0.375, -2), 0.38);
    EXPECT_EQ(RoundTo(2.5, 0), 2.0);
    EXPECT_EQ(RoundTo(3.5, 0), 4.0);
    EXPECT_EQ(RoundTo(149.69, 0), 150.0);
    EXPECT_EQ(RoundTo(-1.005, -2), -1.0);
    EXPECT_EQ(RoundTo(1250, 2), 1200);
    EXPECT_EQ(RoundTo(1350, 2), 1400);
    EXPECT_EQ(FloatToStr(RoundTo(3.1000000001, -2), kComma), "3,1");
    EXPECT_EQ(RoundTo(1e300, -3), 1e300);
}

}  // namespace
}  // namespace kalvenor
