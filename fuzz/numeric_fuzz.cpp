// The leading-number parse and the number formats on arbitrary text and on
// arbitrary doubles (the first eight input bytes read as one).
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "engine/deck_lines.h"
#include "fuzz_support.h"
#include "engine/numeric_text.h"

using namespace sormel;
using sormel::fuzz::escaped;

namespace {

// "#0.00" of the value's 15-significant-digit decimal form, rounded half
// away from zero, worked out on decimal digits alone.
std::string expectedTwoDecimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    std::string_view text(buffer);
    const bool negative = text[0] == '-';
    if (negative) text.remove_prefix(1);
    std::string digits;
    std::size_t i = 0;
    for (; text[i] != 'e'; ++i) {
        if (text[i] != '.') digits.push_back(text[i]);
    }
    const int exponent = std::atoi(buffer + (text.data() - buffer) + i + 1);
    // digits = d1 d2 ... d15 with value = d1.d2...d15 * 10^exponent; shift so
    // that the last kept digit is the hundredths.
    const int kept = exponent + 3;
    std::string hundredths;
    bool roundUp = false;
    if (kept <= 0) {
        hundredths = "0";
        roundUp = kept == 0 && digits[0] >= '5';
    } else if (kept >= static_cast<int>(digits.size())) {
        hundredths = digits + std::string(static_cast<std::size_t>(kept) - digits.size(), '0');
    } else {
        hundredths = digits.substr(0, static_cast<std::size_t>(kept));
        roundUp = digits[static_cast<std::size_t>(kept)] >= '5';
    }
    if (roundUp) {
        int carry = 1;
        for (std::size_t k = hundredths.size(); k-- > 0 && carry;) {
            const int d = hundredths[k] - '0' + carry;
            hundredths[k] = static_cast<char>('0' + d % 10);
            carry = d / 10;
        }
        if (carry) hundredths.insert(hundredths.begin(), '1');
    }
    const std::size_t nonZero = hundredths.find_first_not_of('0');
    if (nonZero == std::string::npos) return "0.00";
    hundredths.erase(0, nonZero);
    if (hundredths.size() < 3) hundredths.insert(0, 3 - hundredths.size(), '0');
    hundredths.insert(hundredths.size() - 2, 1, '.');
    return negative ? "-" + hundredths : hundredths;
}

void checkFormats(double value) {
    const std::string text = numberText(value);
    if (!std::isfinite(value)) return;
    const double rounded = roundToNumberTextPrecision(value);
    FUZZ_CHECK(fuzz::isNumberTextShape(text), "numberText(%.17g) = \"%s\"", value, text.c_str());
    const double reparsed = parseLeadingNumber(text);
    FUZZ_CHECK(reparsed == rounded || (reparsed == 0 && rounded == 0), "numberText(%.17g) = \"%s\" reads back as %.17g, not %.17g",
               value, text.c_str(), reparsed, rounded);
    // Just below the largest double the text reads back as an infinity.
    FUZZ_CHECK(std::isinf(rounded) || numberText(rounded) == text, "numberText(%.17g) = \"%s\" but numberText(%.17g) = \"%s\"", value,
               text.c_str(), rounded, numberText(rounded).c_str());

    const std::string twoDecimals = twoDecimalText(value);
    FUZZ_CHECK(fuzz::isTwoDecimalShape(twoDecimals), "twoDecimalText(%.17g) = \"%s\"", value, twoDecimals.c_str());
    const double back = parseLeadingNumber(twoDecimals);
    FUZZ_CHECK(std::isinf(rounded) || std::fabs(back - value) <= 0.005 + std::fabs(value) * 1e-14,
               "twoDecimalText(%.17g) = \"%s\" is too far off", value, twoDecimals.c_str());
    const std::string expected = expectedTwoDecimal(value);
    FUZZ_CHECK(twoDecimals == expected, "twoDecimalText(%.17g) = \"%s\", expected \"%s\"", value, twoDecimals.c_str(),
               expected.c_str());

    // Rounding to the nearest integer, halves to even, within the int32 range.
    const bool fits = value >= -2147483648.5 && value < 2147483647.5;
    try {
        const std::int32_t narrowed = narrowToInteger(value);
        FUZZ_CHECK(fits, "narrowToInteger(%.17g) = %d instead of an overflow", value, narrowed);
        const double distance = std::fabs(static_cast<double>(narrowed) - value);
        FUZZ_CHECK(distance < 0.5 || (distance == 0.5 && narrowed % 2 == 0), "narrowToInteger(%.17g) = %d", value,
                   narrowed);
        FUZZ_CHECK(parseLeadingNumber(integerText(narrowed)) == narrowed, "integerText(%d)", narrowed);
    } catch (const OverflowError&) {
        FUZZ_CHECK(!fits, "narrowToInteger(%.17g) overflowed", value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double parsed = parseLeadingNumber(text);
    FUZZ_CHECK(!std::isnan(parsed), "parseLeadingNumber(\"%s\") is NaN", escaped(text).c_str());

    const LineClass lineClass = classifyCountField(text);
    if (text == "--") {
        FUZZ_CHECK(lineClass.kind == LineKind::SideSeparator, "\"--\" is not a side separator");
    } else {
        FUZZ_CHECK((lineClass.kind == LineKind::Card) == (parsed != 0), "class of \"%s\"", escaped(text).c_str());
        FUZZ_CHECK(lineClass.kind != LineKind::Card || lineClass.copies == parsed, "copies of \"%s\"",
                   escaped(text).c_str());
    }
    checkFormats(parsed);

    if (size >= 8) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        checkFormats(raw);
        // Values near the roundings that matter: hundredths and halves.
        checkFormats(std::nearbyint(raw * 100) / 100 + 0.005);
        checkFormats(std::nearbyint(raw) + 0.5);
    }
    return 0;
}
