// The average deck written as a deck file that the program reads back as
// the same deck: the program's own format (`COUNT,NUMBER,NAME`, then `--`
// and the side part when it has cards), or, when that cannot carry some
// card number (one holding a comma) and a plain text list can, a list
// (`COUNT NUMBER`, then `Sideboard`). CR LF.
//
// The file is in the encoding asked for; when that is Shift_JIS and some
// card number or name is not in it, the file is UTF-8 without a byte-order
// mark instead (which the reader tells from Shift_JIS), so that no
// character becomes another.
//
// A card that neither format can carry back (a number holding a line
// break, or one a list would read as another card) is left out, so that
// every line written reads back as the card and count it stands for.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/card_report.h"
#include "export/csv_writer.h"

namespace sormel {

struct AverageDeckText {
    std::string text;
    CsvEncoding encoding = CsvEncoding::Cp932;  // the encoding the text is in
    std::vector<std::string> leftOut;  // card numbers of the cards left out, in the deck's order
};

AverageDeckText formatAverageDeck(const AverageDeckFigures& deck, CsvEncoding encoding);

// The warning for a card left out of the average deck `file`:
// `FILE: 警告: …`, the card number with its line breaks and other control
// characters shown as escapes.
std::string leftOutCardWarning(const std::filesystem::path& file, const std::string& cardNumber);

// The warning for an average deck `file` written in UTF-8 because Shift_JIS
// could not hold it: `FILE: 警告: …`.
std::string utf8FallbackWarning(const std::filesystem::path& file);

}  // namespace sormel
