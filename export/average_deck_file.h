// The average deck written as a deck file that the program reads back as
// the same deck: the program's own format (`COUNT,NUMBER,NAME`, then `--`
// and the side part when it has cards), or, when that cannot carry some
// card number (one holding a comma) and a plain text list can, a list
// (`COUNT NUMBER`, then `Sideboard`). CR LF.
//
// A card that neither can carry back (a number holding a line break, one
// the chosen character set cannot hold, or one a list would read as
// another card) is left out, so that every line written reads back as the
// card and count it stands for.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/card_report.h"
#include "export/csv_writer.h"

namespace sormel {

struct AverageDeckText {
    std::string text;
    std::vector<std::string> leftOut;  // card numbers of the cards left out, in the deck's order
};

AverageDeckText formatAverageDeck(const AverageDeckFigures& deck, CsvEncoding encoding);

// The warning for a card left out of the average deck `file`:
// `FILE: 警告: …`, the card number with its line breaks and other control
// characters shown as escapes.
std::string leftOutCardWarning(const std::filesystem::path& file, const std::string& cardNumber);

}  // namespace sormel
