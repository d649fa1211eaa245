#include "engine/numeric_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace sormel {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Walks over text as if every blank, tab and line feed had been removed.
class BlankSkippingCursor {
public:
    explicit BlankSkippingCursor(std::string_view text) : text_(text) { skipBlanks(); }
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    std::size_t position() const { return pos_; }
    void advance() {
        ++pos_;
        skipBlanks();
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigitValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

double parseRadixInteger(BlankSkippingCursor& cursor, int radix) {
    double value = 0;
    for (;;) {
        const int digit = hexDigitValue(cursor.peek());
        if (digit < 0 || digit >= radix) break;
        value = value * radix + digit;
        cursor.advance();
    }
    return value;
}

// Decimal digits with at most one point, then an optional exponent. The
// digits are gathered into `number` in the form std::from_chars reads.
double parseDecimal(BlankSkippingCursor& cursor) {
    std::string number;
    bool seenPoint = false;
    bool seenDigit = false;
    // Where the first non-zero digit stands, to tell an overflow from an
    // underflow when the value does not fit a double: its power of ten is
    // significantIntegerDigits - 1, or -(fractionZeros + 1) when it lies
    // after the point.
    bool seenSignificant = false;
    long long significantIntegerDigits = 0;
    long long fractionZeros = 0;
    for (;;) {
        const char c = cursor.peek();
        if (isDigit(c)) {
            seenDigit = true;
            if (c != '0') seenSignificant = true;
            if (!seenPoint && seenSignificant) ++significantIntegerDigits;
            if (seenPoint && !seenSignificant) ++fractionZeros;
            number.push_back(c);
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            number.push_back('.');
        } else {
            break;
        }
        cursor.advance();
    }
    if (!seenDigit) return 0;
    const long long leadingPower = significantIntegerDigits > 0 ? significantIntegerDigits - 1 : -(fractionZeros + 1);

    long long exponent = 0;
    const char e = cursor.peek();
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        cursor.advance();
        bool negativeExponent = false;
        if (cursor.peek() == '+' || cursor.peek() == '-') {
            negativeExponent = cursor.peek() == '-';
            cursor.advance();
        }
        bool exponentDigits = false;
        while (isDigit(cursor.peek())) {
            exponentDigits = true;
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (cursor.peek() - '0');
            cursor.advance();
        }
        if (negativeExponent) exponent = -exponent;
        if (exponentDigits) {
            number.push_back('e');
            number += std::to_string(exponent);
        }
    }
    if (!seenSignificant) return 0;

    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        return leadingPower + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return value;
}

// The value's decimal digits rounded to 15 significant digits, and the
// power of ten of the first one: value = 0.d1d2...d15 * 10^(exponent + 1).
struct SignificantDigits {
    bool negative = false;
    std::string digits;  // 15 digits, the first one non-zero
    int exponent = 0;
};

SignificantDigits significantDigits(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    SignificantDigits out;
    std::size_t pos = 0;
    if (text[pos] == '-') {
        out.negative = true;
        ++pos;
    }
    const std::size_t ePos = text.find('e');
    for (std::size_t i = pos; i < ePos; ++i) {
        if (text[i] != '.') out.digits.push_back(text[i]);
    }
    std::from_chars(text.data() + ePos + (text[ePos + 1] == '+' ? 2 : 1), text.data() + text.size(), out.exponent);
    return out;
}

}  // namespace

double detail::parseLeadingNumberInFull(std::string_view text) {
    std::size_t consumed = 0;
    return parseLeadingNumber(text, consumed);
}

double parseLeadingNumber(std::string_view text, std::size_t& consumed) {
    BlankSkippingCursor cursor(text);
    bool negative = false;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        negative = cursor.peek() == '-';
        cursor.advance();
    }
    double value = 0;
    if (cursor.peek() == '&') {
        cursor.advance();
        const char prefix = cursor.peek();
        if (prefix == 'H' || prefix == 'h') {
            cursor.advance();
            value = parseRadixInteger(cursor, 16);
        } else if (prefix == 'O' || prefix == 'o') {
            cursor.advance();
            value = parseRadixInteger(cursor, 8);
        }
    } else {
        value = parseDecimal(cursor);
    }
    consumed = cursor.position();
    return negative ? -value : value;
}

bool outsideIntegerRange(double value) {
    if (!std::isfinite(value)) return true;
    const double rounded = std::nearbyint(value);
    return rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max();
}

std::int32_t narrowToInteger(double value) {
    if (outsideIntegerRange(value)) throw OverflowError();
    return static_cast<std::int32_t>(std::nearbyint(value));
}

double detail::roundToFifteenDigits(double value) {
    if (!std::isfinite(value)) return value;
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    double rounded = 0;
    // Just below the largest double, 15 digits round up past it: the text
    // reads back as an infinity, as the leading-number parse has it.
    if (std::from_chars(buffer, written.ptr, rounded).ec == std::errc::result_out_of_range) {
        return std::copysign(std::numeric_limits<double>::infinity(), value);
    }
    return rounded;
}

std::string numberText(double value) {
    if (std::isnan(value)) return "-1.#IND";
    if (std::isinf(value)) return value > 0 ? "1.#INF" : "-1.#INF";
    if (value == 0) return "0";
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) return integerText(static_cast<std::int64_t>(value));
    SignificantDigits sig = significantDigits(value);
    while (sig.digits.size() > 1 && sig.digits.back() == '0') sig.digits.pop_back();

    std::string out;
    if (sig.negative) out.push_back('-');
    const int e = sig.exponent;
    const int count = static_cast<int>(sig.digits.size());
    if (e >= 15) {
        out += sig.digits[0];
        if (count > 1) {
            out.push_back('.');
            out.append(sig.digits, 1);
        }
        out.append("E+");
        out.append(std::to_string(e));
    } else if (e >= 0) {
        if (count <= e + 1) {
            out.append(sig.digits);
            out.append(static_cast<std::size_t>(e + 1 - count), '0');
        } else {
            out.append(sig.digits, 0, static_cast<std::size_t>(e + 1));
            out.push_back('.');
            out.append(sig.digits, static_cast<std::size_t>(e + 1));
        }
    } else {
        out.append("0.");
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out.append(sig.digits);
    }
    return out;
}

std::string integerText(std::int64_t value) { return std::to_string(value); }

namespace {

// |value| × 100 rounded to a whole number when that can be done on the
// binary value: away from a tie, rounding the value times 100 gives what
// rounding its 15-digit decimal form gives, since below 10^6 the two differ
// by far less than the margin kept from the half. So does a product that is
// exactly a half: the value then lies within a few units in the last place
// of the decimal tie, far closer than 15 digits tell apart, and both round
// away from zero.
bool hundredthsFast(double value, std::uint64_t& hundredths) {
    const double scaled = std::fabs(value) * 100;
    const double fraction = scaled - std::trunc(scaled);
    if (!(scaled < 1e6 && (fraction == 0.5 || std::fabs(fraction - 0.5) > 1e-6))) return false;
    // Adding a half cannot itself round here: the fraction is either
    // exactly a half or well away from it.
    hundredths = static_cast<std::uint64_t>(scaled + 0.5);
    return true;
}

// |value| × 100 as decimal digits, rounded half away from zero on the
// value's 15-significant-digit form; "0" when that rounds to zero.
std::string hundredthsDigits(double value) {
    std::uint64_t fast = 0;
    if (hundredthsFast(value, fast)) return std::to_string(fast);
    const SignificantDigits sig = significantDigits(value);
    // Number of leading digits that reach down to the hundredths.
    const int kept = sig.exponent + 3;
    std::string hundredths;
    if (kept <= 0) {
        hundredths.assign(1, (kept == 0 && sig.digits[0] >= '5') ? '1' : '0');
    } else if (kept >= static_cast<int>(sig.digits.size())) {
        hundredths = sig.digits;
        hundredths.append(static_cast<std::size_t>(kept) - sig.digits.size(), '0');
    } else {
        hundredths = sig.digits.substr(0, static_cast<std::size_t>(kept));
        if (sig.digits[static_cast<std::size_t>(kept)] >= '5') {
            // Half away from zero: carry one into the kept digits.
            std::size_t i = hundredths.size();
            while (i > 0 && hundredths[i - 1] == '9') hundredths[--i] = '0';
            if (i == 0) {
                hundredths.insert(hundredths.begin(), '1');
            } else {
                ++hundredths[i - 1];
            }
        }
    }
    const std::size_t first = hundredths.find_first_not_of('0');
    return first == std::string::npos ? "0" : hundredths.substr(first);
}

// Decimal digits of a number of hundredths as "#0.00", with the sign.
std::string withDecimalPoint(std::string digits, bool negative) {
    if (digits == "0") return "0.00";
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    digits.insert(digits.size() - 2, 1, '.');
    if (negative) digits.insert(0, 1, '-');
    return digits;
}

}  // namespace

std::string twoDecimalText(double value) {
    if (!std::isfinite(value)) return numberText(value);
    if (value == 0) return "0.00";
    return withDecimalPoint(hundredthsDigits(value), value < 0);
}

std::int64_t roundToHundredths(double value) {
    if (!std::isfinite(value) || value == 0) return 0;
    std::uint64_t magnitude = 0;
    if (!hundredthsFast(value, magnitude)) {
        for (const char digit : hundredthsDigits(value)) magnitude = magnitude * 10 + static_cast<unsigned>(digit - '0');
    }
    const auto hundredths = static_cast<std::int64_t>(magnitude);
    return value < 0 ? -hundredths : hundredths;
}

std::string hundredthsText(std::int64_t hundredths) {
    const std::uint64_t magnitude =
        hundredths < 0 ? 0 - static_cast<std::uint64_t>(hundredths) : static_cast<std::uint64_t>(hundredths);
    return withDecimalPoint(std::to_string(magnitude), hundredths < 0);
}

std::string shortHundredthsText(std::int64_t hundredths) {
    std::string text = hundredthsText(hundredths);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

void appendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

void appendShortHundredths(std::string& out, std::int64_t hundredths) {
    const std::uint64_t magnitude =
        hundredths < 0 ? 0 - static_cast<std::uint64_t>(hundredths) : static_cast<std::uint64_t>(hundredths);
    char digits[32];
    char* at = digits;
    if (hundredths < 0) *at++ = '-';
    at = std::to_chars(at, digits + sizeof digits, magnitude / 100).ptr;
    if (const auto fraction = static_cast<unsigned>(magnitude % 100); fraction != 0) {
        *at++ = '.';
        *at++ = static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) *at++ = static_cast<char>('0' + fraction % 10);
    }
    out.append(digits, static_cast<std::size_t>(at - digits));
}

}  // namespace sormel
