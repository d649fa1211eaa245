#include "engine/csv_deck_reader.h"

#include <array>
#include <limits>

#include "engine/card_error.h"
#include "engine/list_syntax.h"
#include "engine/numeric_text.h"
#include "engine/visible_text.h"

namespace sormel {
namespace {

bool equalsFolded(std::string_view text, std::string_view lowerWord) {
    if (text.size() != lowerWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i]) return false;
    }
    return true;
}

template <std::size_t N>
std::optional<std::size_t> findColumn(const std::vector<std::string>& header,
                                      const std::array<std::string_view, N>& headings) {
    for (const std::string_view heading : headings) {
        for (std::size_t column = 0; column < header.size(); ++column) {
            if (equalsFolded(trimBlanks(header[column]), heading)) return column;
        }
    }
    return std::nullopt;
}

constexpr std::array<std::string_view, 4> kCountHeadings{"count", "quantity", "qty", "amount"};
constexpr std::array<std::string_view, 3> kNameHeadings{"name", "card name", "card"};
constexpr std::array<std::string_view, 4> kSetHeadings{"edition code", "set code", "set", "edition"};
constexpr std::array<std::string_view, 2> kNumberHeadings{"collector number", "card number"};
constexpr std::array<std::string_view, 3> kBoardHeadings{"board", "section", "zone"};
constexpr std::array<std::string_view, 1> kSideboardHeadings{"sideboard"};

enum class RowPart { Main, Side, NotCounted };

RowPart partOfBoard(std::string_view value) {
    value = trimBlanks(value);
    if (equalsFolded(value, "side") || equalsFolded(value, "sideboard")) return RowPart::Side;
    for (const std::string_view word : {"maybe", "maybeboard", "considering", "token", "tokens"}) {
        if (equalsFolded(value, word)) return RowPart::NotCounted;
    }
    return RowPart::Main;
}

bool isTrue(std::string_view value) {
    value = trimBlanks(value);
    return equalsFolded(value, "true") || equalsFolded(value, "yes") || value == "1";
}

// The program's own files may start with a header of their three columns,
// `count,number,name`: a count, a card number under a heading no export
// uses, a name. Read as CSV, such a file would lose its card numbers and
// count its side part (after `--`) as main, so it keeps its own format.
bool isOwnFormatHeader(const std::vector<std::string>& header, const CsvDeckColumns& columns) {
    if (header.size() != 3 || columns.count != 0 || columns.name != 2) return false;
    const std::vector<std::string> middle{header[1]};
    return !findColumn(middle, kSetHeadings) && !findColumn(middle, kNumberHeadings) &&
           !findColumn(middle, kBoardHeadings) && !findColumn(middle, kSideboardHeadings) &&
           !findColumn(middle, kCountHeadings) && !findColumn(middle, kNameHeadings);
}

}  // namespace

std::optional<CsvDeckColumns> csvDeckColumns(const std::vector<std::string>& header) {
    // Most files are not CSV: a first line without a count heading ends it.
    const std::optional<std::size_t> count = findColumn(header, kCountHeadings);
    if (!count) return std::nullopt;
    const std::optional<std::size_t> name = findColumn(header, kNameHeadings);
    if (!name) return std::nullopt;
    return CsvDeckColumns{*count,
                          *name,
                          findColumn(header, kSetHeadings),
                          findColumn(header, kNumberHeadings),
                          findColumn(header, kBoardHeadings),
                          findColumn(header, kSideboardHeadings)};
}

bool startsWithCsvDeckHeader(std::string_view text) {
    CsvRecordCursor cursor(text);
    std::vector<std::string> fields;
    while (cursor.next(fields)) {
        if (isBlankRecord(fields)) continue;
        const std::optional<CsvDeckColumns> columns = csvDeckColumns(fields);
        return columns && !isOwnFormatHeader(fields, *columns);
    }
    return false;
}

CsvDeckReader::CsvDeckReader(std::string_view text, bool includeSidePart)
    : cursor_(text), includeSidePart_(includeSidePart) {
    while (cursor_.next(fields_)) {
        if (isBlankRecord(fields_)) continue;
        columns_ = csvDeckColumns(fields_);
        return;
    }
}

std::string_view CsvDeckReader::field(std::size_t column) const {
    return column < fields_.size() ? std::string_view(fields_[column]) : std::string_view();
}

DeckStep CsvDeckReader::next(DeckEntry& entry) {
    cursor_.next(fields_);
    if (isBlankRecord(fields_)) return DeckStep::Other;
    if (!columns_) return DeckStep::Skipped;
    const CsvDeckColumns& columns = *columns_;
    RowPart part = RowPart::Main;
    if (columns.board) {
        part = partOfBoard(field(*columns.board));
    } else if (columns.sideboard && isTrue(field(*columns.sideboard))) {
        part = RowPart::Side;
    }
    if (part == RowPart::NotCounted) return DeckStep::Skipped;
    const std::string_view countText = trimBlanks(field(columns.count));
    const std::optional<WholeCount> count = parseWholeCount(countText);
    if (!count || !count->positive()) {
        warning_ = "枚数が 1 以上の整数ではないので、この行は数えません: " + visibleText(countText);
        return DeckStep::Warning;
    }
    const std::string_view name = trimBlanks(field(columns.name));
    if (count->tooLarge) throw countTooLarge(std::string(name));
    if (part == RowPart::Side && !includeSidePart_) return DeckStep::SideLeftOut;
    // Printings stay apart: the set and collector number follow the name.
    cardNumber_.assign(name);
    const std::string_view set = columns.set ? trimBlanks(field(*columns.set)) : std::string_view();
    const std::string_view number = columns.number ? trimBlanks(field(*columns.number)) : std::string_view();
    if (!set.empty()) {
        cardNumber_.append(" (").append(set).append(")");
        if (!number.empty()) cardNumber_.append(" ").append(number);
    }
    entry.copies = static_cast<double>(count->value);
    entry.cardNumber = cardNumber_;
    entry.setCardName(name);
    entry.part = part == RowPart::Side ? DeckPart::Side : DeckPart::Main;
    return DeckStep::Card;
}

}  // namespace sormel
