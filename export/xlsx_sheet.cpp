#include "export/xlsx_sheet.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "engine/text_decoding.h"

namespace sormel {
namespace {

constexpr std::size_t kMaxCellCharacters = 32767;  // what one Excel cell holds
constexpr double kMaxColumnWidth = 60;

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// Whether `text` at `i` reads `_xHHHH_`, which Excel takes for the character
// with that code.
bool escapeAt(std::string_view text, std::size_t i) {
    if (text.size() - i < 7 || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return false;
    for (std::size_t k = 2; k < 6; ++k) {
        if (!isHexDigit(text[i + k])) return false;
    }
    return true;
}

// The text as Excel should show it: U+FFFE and U+FFFF, which XML cannot
// hold, become U+FFFD, and the underscore of a written `_xHHHH_` is itself
// escaped so that the text stays as it is. (The sheet escapes control
// characters on its own.)
std::string xmlSafeText(std::string_view valid) {
    std::string out;
    out.reserve(valid.size());
    for (std::size_t i = 0; i < valid.size(); ++i) {
        if (valid.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < valid.size() &&
            (valid[i + 2] == '\xBE' || valid[i + 2] == '\xBF')) {
            out += "\xEF\xBF\xBD";
            i += 2;
        } else if (escapeAt(valid, i)) {
            out += "_x005F_";
        } else {
            out.push_back(valid[i]);
        }
    }
    return out;
}

// Valid UTF-8 of at most the characters a cell holds, safe for the sheet.
std::string cellText(const std::string& text) {
    std::string valid = toValidUtf8(text);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(valid[i]) & 0xC0) != 0x80;
        if (starts && ++characters > kMaxCellCharacters) {
            valid.resize(i);
            break;
        }
    }
    return xmlSafeText(valid);
}

// Width of a text in Excel's character units: wide (non-ASCII) characters
// take two.
double displayWidth(const std::string& utf8) {
    double width = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            width += 1;
        } else if ((byte & 0xC0) != 0x80) {
            width += 2;
        }
    }
    return width;
}

std::size_t digitCount(std::uint64_t value) {
    std::size_t digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

std::uint64_t magnitudeOf(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// The lengths of std::to_string(value) and hundredthsText(value), without
// making them.
std::size_t integerWidth(std::int64_t value) { return digitCount(magnitudeOf(value)) + (value < 0 ? 1 : 0); }
std::size_t hundredthsWidth(std::int64_t value) {
    return std::max<std::size_t>(digitCount(magnitudeOf(value)), 3) + 1 + (value < 0 ? 1 : 0);
}

}  // namespace

CellFormats addCellFormats(xlsx::Book& book) {
    return {book.addStyle({.bold = true, .numberFormat = {}}), book.addStyle({.bold = false, .numberFormat = "0.00%"}),
            book.addStyle({.bold = false, .numberFormat = "0.00"})};
}

SheetWriter::SheetWriter(xlsx::Sheet& sheet, std::size_t columns, const CellFormats& formats)
    : sheet_(sheet), widths_(columns, 0), formats_(formats) {}

void SheetWriter::header(const std::vector<std::string>& titles) {
    for (std::size_t column = 0; column < titles.size(); ++column) {
        const std::string cell = cellText(titles[column]);
        const auto at = static_cast<xlsx::Column>(column);
        sheet_.text(0, at, cell, formats_.header);
        fit(at, displayWidth(cell));
    }
    sheet_.freezeTopRow();
}

void SheetWriter::text(xlsx::Row row, xlsx::Column column, const std::string& value) {
    // Nearly every text goes in as it is; only the others are copied.
    if (value.size() <= kMaxCellCharacters && value.find('_') == std::string::npos &&
        value.find("\xEF\xBF") == std::string::npos && isValidUtf8(value)) {
        sheet_.text(row, column, value);
        fit(column, displayWidth(value));
        return;
    }
    const std::string cell = cellText(value);
    sheet_.text(row, column, cell);
    fit(column, displayWidth(cell));
}

void SheetWriter::count(xlsx::Row row, xlsx::Column column, std::optional<std::int64_t> value) {
    if (value) number(row, column, static_cast<double>(*value), integerWidth(*value), 0);
}

void SheetWriter::percent(xlsx::Row row, xlsx::Column column, std::optional<std::int64_t> hundredths) {
    if (hundredths) {
        // Shown as hundredthsText and "%".
        number(row, column, static_cast<double>(*hundredths) / 10000, hundredthsWidth(*hundredths) + 1,
               formats_.percent);
    }
}

void SheetWriter::twoDecimals(xlsx::Row row, xlsx::Column column, std::optional<std::int64_t> hundredths) {
    if (hundredths) {
        number(row, column, static_cast<double>(*hundredths) / 100, hundredthsWidth(*hundredths), formats_.twoDecimals);
    }
}

void SheetWriter::autofilter(xlsx::Row lastRow) {
    sheet_.autofilter(lastRow, static_cast<xlsx::Column>(widths_.size() - 1));
}

void SheetWriter::setWidths(double padding) {
    for (std::size_t column = 0; column < widths_.size(); ++column) {
        const double width = std::min(widths_[column] + padding, kMaxColumnWidth);
        const auto at = static_cast<xlsx::Column>(column);
        sheet_.columnWidth(at, width);
    }
}

void SheetWriter::number(xlsx::Row row, xlsx::Column column, double value, std::size_t shownWidth,
                         xlsx::Style format) {
    sheet_.number(row, column, value, format);
    fit(column, static_cast<double>(shownWidth));
}

void SheetWriter::fit(xlsx::Column column, double width) { widths_.at(column) = std::max(widths_.at(column), width); }

}  // namespace sormel
