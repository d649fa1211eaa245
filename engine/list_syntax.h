// The grammar of plain-text deck lists (client and website exports,
// Japanese lists), on UTF-8 lines:
//
//   4 Lightning Bolt        4x Lightning Bolt      4 x Lightning Bolt
//   Lightning Bolt x4       ピカチュウ ×2           ピカチュウ 2枚
//   Sideboard               Pokémon: 12            SB: 2 Duress
//
// Blanks are spaces, tabs and U+3000; counts are ASCII or full-width digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sormel {

// The text without blanks at either end.
std::string_view trimBlanks(std::string_view text);

struct ListCardLine {
    std::uint64_t count = 0;  // positive; beyond the 32-bit range when `tooLarge`
    bool tooLarge = false;
    std::string_view name;    // as written, trimmed, not empty
};

// A card line: count first (`COUNT NAME`, `COUNTx NAME`, `COUNT x NAME`;
// x, X or ×, a mark only when a blank follows it), else count last
// (`NAME xCOUNT` with a blank before the x, `NAME ×COUNT`, `NAME×COUNT`,
// `NAME COUNT枚` with a blank before COUNT). `line` is trimmed.
std::optional<ListCardLine> parseListCardLine(std::string_view line);

enum class ListSection { None, Main, Side };

// A section heading such as `Deck`, `Sideboard:`, `Pokémon: 12`, matched
// without regard to letter case; `line` is trimmed.
ListSection parseListSection(std::string_view line);

// For a line written `SB: …` (any letter case), the text after the colon,
// trimmed.
std::optional<std::string_view> afterSideboardMark(std::string_view line);

// The card name a list line's NAME stands for: NAME without a trailing
// printing mark, ` (SET) NUMBER` or ` SET NUMBER` (SET: 2 to 5 upper-case
// letters or digits; NUMBER: digits, optionally with a letter after them).
std::string_view withoutPrintingMark(std::string_view name);

}  // namespace sormel
