#include "engine/numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <limits>

namespace sormel {
namespace {

TEST(LeadingNumberParse, ReadsTheNumberAtTheStartAndIgnoresTheRest) {
    EXPECT_EQ(parseLeadingNumber("3"), 3);
    EXPECT_EQ(parseLeadingNumber("3 copies"), 3);
    EXPECT_EQ(parseLeadingNumber("2x"), 2);
    EXPECT_EQ(parseLeadingNumber("1.5"), 1.5);
    EXPECT_EQ(parseLeadingNumber("-1"), -1);
    EXPECT_EQ(parseLeadingNumber("+4"), 4);
    EXPECT_EQ(parseLeadingNumber(".5"), 0.5);
    EXPECT_EQ(parseLeadingNumber("5."), 5);
    EXPECT_EQ(parseLeadingNumber("1.2.3"), 1.2);
    EXPECT_EQ(parseLeadingNumber("007"), 7);
}

TEST(LeadingNumberParse, NoDigitGivesZero) {
    for (const char* text : {"", "--", "x3", "-", "+", ".", "-.", "E5", "&H", "&Hx", "&", "+-3", "３"}) {
        EXPECT_EQ(parseLeadingNumber(text), 0) << text;
    }
}

TEST(LeadingNumberParse, SkipsBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_EQ(parseLeadingNumber("1 2"), 12);
    EXPECT_EQ(parseLeadingNumber(" \t- 1\n2 . 5"), -12.5);
    EXPECT_EQ(parseLeadingNumber("& H 1 F"), 31);
    // A carriage return is not a blank: it ends the number.
    EXPECT_EQ(parseLeadingNumber("1\r2"), 1);
}

TEST(LeadingNumberParse, ReadsExponentsWithEOrD) {
    EXPECT_EQ(parseLeadingNumber("1E3"), 1000);
    EXPECT_EQ(parseLeadingNumber("1e+3"), 1000);
    EXPECT_EQ(parseLeadingNumber("25D-1"), 2.5);
    EXPECT_EQ(parseLeadingNumber("2d2"), 200);
    // An exponent letter without digits adds nothing.
    EXPECT_EQ(parseLeadingNumber("7E"), 7);
    EXPECT_EQ(parseLeadingNumber("7E-x"), 7);
}

TEST(LeadingNumberParse, ReadsHexAndOctalIntegers) {
    EXPECT_EQ(parseLeadingNumber("&H1F"), 31);
    EXPECT_EQ(parseLeadingNumber("&hff"), 255);
    EXPECT_EQ(parseLeadingNumber("&O17"), 15);
    EXPECT_EQ(parseLeadingNumber("&O19"), 1);
    EXPECT_EQ(parseLeadingNumber("-&H10"), -16);
}

TEST(LeadingNumberParse, OutOfRangeValuesSaturateInsteadOfFailing) {
    EXPECT_EQ(parseLeadingNumber("1E400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseLeadingNumber("-1E400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseLeadingNumber("1E-400"), 0);
    EXPECT_EQ(parseLeadingNumber("0.000001E-400"), 0);
    EXPECT_EQ(parseLeadingNumber("100000E-310"), 1e-305);
    EXPECT_EQ(parseLeadingNumber("0E99999999999999999999"), 0);
    EXPECT_EQ(parseLeadingNumber("99999999999"), 99999999999.0);
}

TEST(LeadingNumberParse, LongPlainDigitCountsKeepTheirValue) {
    // Past 15 digits a 64-bit integer no longer holds every value: 2^64 + 1
    // must not wrap around to 1.
    EXPECT_EQ(parseLeadingNumber("18446744073709551617"), 18446744073709551617.0);
    EXPECT_EQ(parseLeadingNumber("9223372036854775809"), 9223372036854775808.0);
    EXPECT_EQ(parseLeadingNumber("1234567890123456"), 1234567890123456.0);
    EXPECT_EQ(parseLeadingNumber("999999999999999"), 999999999999999.0);
}

TEST(IntegerNarrowing, RoundsHalvesToEven) {
    EXPECT_EQ(narrowToInteger(2.5), 2);
    EXPECT_EQ(narrowToInteger(3.5), 4);
    EXPECT_EQ(narrowToInteger(-2.5), -2);
    EXPECT_EQ(narrowToInteger(2.4999), 2);
    EXPECT_EQ(narrowToInteger(-0.4), 0);
}

TEST(IntegerNarrowing, RaisesOverflowOnlyOutsideThe32BitRangeAfterRounding) {
    EXPECT_EQ(narrowToInteger(32768), 32768);
    EXPECT_EQ(narrowToInteger(2147483647.4), 2147483647);
    EXPECT_EQ(narrowToInteger(-2147483648.5), -2147483648);
    EXPECT_THROW(narrowToInteger(2147483647.5), OverflowError);
    EXPECT_THROW(narrowToInteger(-2147483649.0), OverflowError);
    EXPECT_THROW(narrowToInteger(std::numeric_limits<double>::infinity()), OverflowError);
    EXPECT_THROW(narrowToInteger(std::nan("")), OverflowError);
}

TEST(NumberText, ShortestFormWithFifteenSignificantDigits) {
    EXPECT_EQ(numberText(3), "3");
    EXPECT_EQ(numberText(1.5), "1.5");
    EXPECT_EQ(numberText(0.5), "0.5");
    EXPECT_EQ(numberText(-1), "-1");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(numberText(100), "100");
    EXPECT_EQ(numberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(numberText(0.000123), "0.000123");
    EXPECT_EQ(numberText(2.0 / 3.0), "0.666666666666667");
}

TEST(NumberText, UsesAnExponentFrom1E15Up) {
    EXPECT_EQ(numberText(1e15), "1E+15");
    EXPECT_EQ(numberText(-1.5e20), "-1.5E+20");
    EXPECT_EQ(numberText(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(numberText(999999999999999.9), "1E+15");
}

TEST(NumberText, RoundTripsThroughTheParse) {
    for (const double value : {0.1, 2.5, -7.25, 1e15, 1.23456789012346e+17, 0.000001, 98765.4321}) {
        const double once = roundToNumberTextPrecision(value);
        EXPECT_EQ(parseLeadingNumber(numberText(value)), once) << value;
        EXPECT_EQ(numberText(once), numberText(value));
    }
}

TEST(NumberTextPrecision, FifteenDigitsBeyondTheLargestDoubleReadBackAsInfinity) {
    // "1.79769313486232E+308" lies past the largest double.
    const double largest = std::numeric_limits<double>::max();
    EXPECT_EQ(roundToNumberTextPrecision(largest), std::numeric_limits<double>::infinity());
    EXPECT_EQ(roundToNumberTextPrecision(-largest), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseLeadingNumber(numberText(largest)), roundToNumberTextPrecision(largest));
    EXPECT_EQ(roundToNumberTextPrecision(1.7976931348623e308), 1.7976931348623e308);
}

TEST(NumberTextPrecision, AddingTenthsTwentyFiveTimesGivesTwoAndAHalf) {
    double copies = 0;
    for (int i = 0; i < 25; ++i) copies = roundToNumberTextPrecision(0.1 + copies);
    EXPECT_EQ(copies, 2.5);
    EXPECT_EQ(narrowToInteger(copies), 2);
}

TEST(TwoDecimalFormat, RoundsHalfAwayFromZeroOnTheDecimalForm) {
    EXPECT_EQ(twoDecimalText(0), "0.00");
    EXPECT_EQ(twoDecimalText(12.5), "12.50");
    EXPECT_EQ(twoDecimalText(200.0 / 3.0), "66.67");
    EXPECT_EQ(twoDecimalText(3.125), "3.13");
    EXPECT_EQ(twoDecimalText(100), "100.00");
    EXPECT_EQ(twoDecimalText(0.005), "0.01");
    EXPECT_EQ(twoDecimalText(0.0049), "0.00");
    EXPECT_EQ(twoDecimalText(99.995), "100.00");
    EXPECT_EQ(twoDecimalText(9.999), "10.00");
    EXPECT_EQ(twoDecimalText(-3.125), "-3.13");
    EXPECT_EQ(twoDecimalText(-0.001), "0.00");
    EXPECT_EQ(twoDecimalText(1e-300), "0.00");
    EXPECT_EQ(twoDecimalText(1234567.891), "1234567.89");
    EXPECT_EQ(twoDecimalText(1e20), "100000000000000000000.00");
}

TEST(TwoDecimalFormat, BinaryNoiseDoesNotFlipTheRounding) {
    // 1.005 and 1 / 3 * 100 ... are stored just below their decimal forms.
    EXPECT_EQ(twoDecimalText(1.005), "1.01");
    EXPECT_EQ(twoDecimalText(2.675), "2.68");
    EXPECT_EQ(twoDecimalText(1.0 / 8.0 * 100), "12.50");
    EXPECT_EQ(twoDecimalText(7.0 / 40.0 * 100), "17.50");
}

// Rounds the value's 15-digit decimal form to two places, half away from
// zero, digit by digit: slow and plain, to check the fast path against.
std::string referenceTwoDecimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    std::string digits;
    for (const char* p = buffer; *p != 'e'; ++p) {
        if (*p != '.') digits += *p;
    }
    const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
    // digits * 10^(exponent - 14) * 100, as an integer number of hundredths.
    const int shift = exponent - 14 + 2;
    long long hundredths = 0;
    if (shift >= 0) {
        hundredths = std::stoll(digits) * static_cast<long long>(std::pow(10, shift));
    } else if (-shift <= 15) {
        const std::size_t keep = digits.size() - static_cast<std::size_t>(-shift);
        hundredths = keep == 0 ? 0 : std::stoll(digits.substr(0, keep));
        if (digits[keep] >= '5') ++hundredths;
    }
    char out[64];
    std::snprintf(out, sizeof out, "%s%lld.%02lld", value < 0 && hundredths != 0 ? "-" : "", hundredths / 100,
                  hundredths % 100);
    return out;
}

TEST(TwoDecimalFormat, AgreesWithPlainDecimalRoundingOnRatesAndTies) {
    for (int decks = 0; decks <= 400; ++decks) {
        for (const int deckCount : {1, 3, 7, 8, 16, 40, 200, 333, 20000, 60000, 160000}) {
            const double rate = static_cast<double>(decks) / deckCount * 100;
            ASSERT_EQ(twoDecimalText(rate), referenceTwoDecimal(rate)) << decks << "/" << deckCount;
            ASSERT_EQ(twoDecimalText(-rate), referenceTwoDecimal(-rate)) << decks << "/" << deckCount;
        }
    }
    for (long long k = 0; k < 2000000; k += 997) {
        const double tie = (static_cast<double>(k) + 0.5) / 100;
        for (const double value : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e9)}) {
            ASSERT_EQ(twoDecimalText(value), referenceTwoDecimal(value)) << value;
        }
    }
}

TEST(IntegerText, PlainDigits) {
    EXPECT_EQ(integerText(0), "0");
    EXPECT_EQ(integerText(-32768), "-32768");
    EXPECT_EQ(integerText(2147483647), "2147483647");
}

}  // namespace
}  // namespace sormel
