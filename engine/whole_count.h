// A whole count of copies as deck files write it, in ASCII or full-width
// digits: read digit by digit, and known to be too large once it leaves
// the 32-bit range (the run then stops, naming the card). Every reader
// counts and refuses a count this one way.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "engine/card_error.h"

namespace sormel {

struct WholeCount {
    std::uint64_t value = 0;  // meaningful unless tooLarge
    bool tooLarge = false;

    void addDigit(unsigned digit) {
        if (!tooLarge) value = value * 10 + digit;
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) tooLarge = true;
    }
    bool positive() const { return tooLarge || value > 0; }
};

// The count `digits` holds: one or more ASCII digits and nothing else;
// empty for any other text.
std::optional<WholeCount> parseWholeCount(std::string_view digits);

// The error for a count beyond the range, naming its card.
CardError countTooLarge(const std::string& card);

}  // namespace sormel
