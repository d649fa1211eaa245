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

#include "engine/whole_count.h"

namespace sormel {

// The text without blanks at either end.
std::string_view trimBlanks(std::string_view text);

struct ListCardLine {
    WholeCount count;  // positive
    std::string_view name;    // as written, trimmed, not empty
};

// A card line: count first (`COUNT NAME`, `COUNTx NAME`, `COUNT x NAME`;
// x, X or ×, a mark only when a blank follows it), else count last
// (`NAME xCOUNT` with a blank before the x, `NAME ×COUNT`, `NAME×COUNT`,
// `NAME COUNT枚` with a blank before COUNT), else a card code with its
// count and no blank (`4xOP07-098`). `line` is trimmed.
std::optional<ListCardLine> parseListCardLine(std::string_view line);

// NotCounted: a part whose lines count nothing (a maybe-board, tokens, a
// bracketed heading other than `[Main]`, `[Commander]`, `[Sideboard]`).
enum class ListSection { None, Main, Side, NotCounted };

// A section heading such as `Deck`, `Sideboard:`, `Pokémon: 12`, `Maybe`,
// `[Main]`, matched without regard to letter case; `line` is trimmed.
ListSection parseListSection(std::string_view line);

// For a line written `SB: …` (any letter case), the text after the colon,
// trimmed.
std::optional<std::string_view> afterSideboardMark(std::string_view line);

// Whether `line` (trimmed) is a bracketed heading the program does not
// know (`[Creatures]`): the cards under it are not counted, and the user
// is told.
bool isUnknownHeading(std::string_view line);

// For a line `Hero: NAME` (any letter case), NAME, trimmed.
std::optional<std::string_view> heroName(std::string_view line);

}  // namespace sormel
