// The order of the usage table's rows.
#pragma once

namespace sormel {

enum class SortChoice {
    ByCopies,  // copies first, then decks
    ByDecks,   // decks first, then copies
};

}  // namespace sormel
