// The average deck written as a deck file that the program reads back as
// the same deck: the program's own format (`COUNT,NUMBER,NAME`, then `--`
// and the side part when it has cards), or, when a card number holds a
// comma, a plain text list (`COUNT NUMBER`, then `Sideboard`). CR LF.
#pragma once

#include <string>

#include "analysis/card_report.h"
#include "export/csv_writer.h"

namespace sormel {

std::string formatAverageDeck(const AverageDeckFigures& deck, CsvEncoding encoding);

}  // namespace sormel
