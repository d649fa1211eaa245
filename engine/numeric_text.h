// Conversions between numbers and the text the usage table shows and the
// deck files hold. All of them ignore the process locale: the decimal point
// is always ".".
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sormel {

// Raised when a value does not fit the integer range the table works in.
class OverflowError : public std::runtime_error {
public:
    OverflowError() : std::runtime_error("オーバーフローしました。") {}
};

// The out-of-line parts of the conversions whose common cases are inline.
namespace detail {
double parseLeadingNumberInFull(std::string_view text);
double roundToFifteenDigits(double value);
}  // namespace detail

// Reads the number at the start of `text`: blanks, tabs and line feeds are
// skipped anywhere; an optional sign; then "&H" hex digits, "&O" octal
// digits, or decimal digits with at most one "." and an optional exponent
// ("E" or "D", either case). Reading stops at the first character that
// cannot continue the number. Never fails: no digit gives 0, a decimal
// value too large for a double gives an infinity. Inline for the common
// case: most counts are one to fifteen plain digits.
inline double parseLeadingNumber(std::string_view text) {
    if (!text.empty() && text.size() <= 15) {
        std::int64_t digits = 0;
        for (const char c : text) {
            if (c < '0' || c > '9') return detail::parseLeadingNumberInFull(text);
            digits = digits * 10 + (c - '0');
        }
        return static_cast<double>(digits);
    }
    return detail::parseLeadingNumberInFull(text);
}

// The same, also telling how many bytes of `text` the number took,
// blanks after it included.
double parseLeadingNumber(std::string_view text, std::size_t& consumed);

// Rounds to the nearest integer, exact halves to the even neighbour, and
// throws OverflowError when the result lies outside the 32-bit signed range
// (or the value is not finite).
std::int32_t narrowToInteger(double value);

// Whether narrowToInteger would throw for `value`.
bool outsideIntegerRange(double value);

// The value rounded to 15 significant digits, as a double: what a counter
// holds after it was written as number text and read back: an infinity for
// magnitudes whose 15 digits round beyond the largest double. Inline for
// whole numbers below 10^15, the common case: they have at most 15 digits.
inline double roundToNumberTextPrecision(double value) {
    if (value > -1e15 && value < 1e15 && value == static_cast<double>(static_cast<std::int64_t>(value))) return value;
    return detail::roundToFifteenDigits(value);
}

// Shortest decimal form with at most 15 significant digits ("3", "1.5",
// "0.5", "-1"); magnitudes of 1E+15 and above use an exponent ("1E+15",
// "1.23456789012346E+17"). Negative zero gives "0".
std::string numberText(double value);

// Plain decimal digits, "-" before a negative value.
std::string integerText(std::int64_t value);

// The "#0.00" pattern: at least one digit before the point, exactly two
// after, rounded half away from zero. Rounding works on the value's
// 15-significant-digit decimal form, so binary noise never flips it
// (1.005 gives "1.01"). A value that rounds to zero has no minus sign.
std::string twoDecimalText(double value);

// The value rounded as twoDecimalText rounds it, as a whole number of
// hundredths (66.666... gives 6667). For magnitudes below 9E+16, which
// covers every rate a table of 32-bit counts can have.
std::int64_t roundToHundredths(double value);

// A rate in percent, part ÷ whole × 100, rounded to hundredths as above:
// the one rule every rate the program shows is computed by.
inline std::int64_t percentInHundredths(double part, double whole) { return roundToHundredths(part / whole * 100); }

// The average of `total` over `count` (a count above zero), in hundredths.
inline std::int64_t averageInHundredths(double total, double count) { return roundToHundredths(total / count); }

// Hundredths as "#0.00" text (6667 gives "66.67", -5 gives "-0.05").
std::string hundredthsText(std::int64_t hundredths);

// Hundredths in their shortest form, without trailing zeros ("66.67",
// "12.5", "100", "0"); the append form writes it after `out` without a
// text of its own.
std::string shortHundredthsText(std::int64_t hundredths);
void appendShortHundredths(std::string& out, std::int64_t hundredths);
// The decimal digits of `value` (with its sign) after `out`.
void appendInteger(std::string& out, std::int64_t value);

}  // namespace sormel
