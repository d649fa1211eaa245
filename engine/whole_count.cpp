#include "engine/whole_count.h"

#include "engine/numeric_text.h"

namespace sormel {

std::optional<WholeCount> parseWholeCount(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    WholeCount count;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        count.addDigit(static_cast<unsigned>(c - '0'));
    }
    return count;
}

CardError countTooLarge(const std::string& card) { return CardError(OverflowError().what(), card); }

}  // namespace sormel
