// Reading a CSV export of a deck or collection site: a header row names the
// columns (count, name, and perhaps set, collector number and board), and
// every later record is one card line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/csv_records.h"
#include "engine/deck_reader.h"

namespace sormel {

// Where a header row has the columns a deck is read by.
struct CsvDeckColumns {
    std::size_t count = 0;
    std::size_t name = 0;
    std::optional<std::size_t> set;
    std::optional<std::size_t> number;
    std::optional<std::size_t> board;      // a Board, Section or Zone column
    std::optional<std::size_t> sideboard;  // a true/false Sideboard column
};

// The columns of `header`, matched without letter case and blanks at either
// end; nothing without both a count and a name column. Where several
// headings fit a column, the first in the order the program knows them
// wins (`Count` before `Quantity`).
std::optional<CsvDeckColumns> csvDeckColumns(const std::vector<std::string>& header);

// Whether the first non-blank record of `text` (UTF-8) is such a header.
bool startsWithCsvDeckHeader(std::string_view text);

class CsvDeckReader final : public DeckReader {
public:
    CsvDeckReader(std::string_view text, bool includeSidePart);

    bool atEnd() const override { return cursor_.atEnd(); }
    DeckStep next(DeckEntry& entry) override;
    std::size_t lineNumber() const override { return cursor_.lineNumber(); }
    std::string_view lineText() const override { return cursor_.recordText(); }
    std::string warning() const override { return warning_; }

private:
    std::string_view field(std::size_t column) const;

    CsvRecordCursor cursor_;
    const bool includeSidePart_;
    std::optional<CsvDeckColumns> columns_;
    std::vector<std::string> fields_;
    std::string cardNumber_;
    std::string warning_;
};

}  // namespace sormel
