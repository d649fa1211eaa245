// Drafting type rules for decks nobody has typed: the decks are grouped by
// the cards that set them apart (cards most decks play are left out), each
// group gets `all` conditions of the cards found in most of its decks and
// few others, and a name from its two most distinctive cards.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/main_parts.h"

namespace sormel {

// What the suggestion needs of the run's table: per row handle, the key
// the rules name the card by, and the name it shows.
struct SuggestionCards {
    std::vector<std::string> keys;
    std::vector<std::string> names;
};

// A rules file (TOML text) typing `decks`; `count` fixes how many types
// (2 to 50), otherwise they are chosen. The same input gives the same text.
std::string suggestTypeRules(const std::vector<SparseDeck>& decks, const SuggestionCards& cards,
                             std::optional<int> count);

// `text` as a TOML basic string, quotes included.
std::string tomlString(const std::string& text);

}  // namespace sormel
