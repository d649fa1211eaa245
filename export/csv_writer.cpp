#include "export/csv_writer.h"

#include <charconv>

#include "engine/numeric_text.h"
#include "engine/text_decoding.h"

namespace sormel {
namespace {

void appendQuoted(std::string& out, const std::string& utf8, CsvEncoding encoding) {
    out.push_back('"');
    const std::size_t start = out.size();
    if (encoding == CsvEncoding::Cp932) {
        appendCp932(out, utf8);
    } else {
        out.append(utf8);
    }
    // Double any quote inside ('"' is never part of a double-byte character).
    if (out.find('"', start) != std::string::npos) {
        const std::string text = out.substr(start);
        out.resize(start);
        for (const char c : text) {
            if (c == '"') out.push_back('"');
            out.push_back(c);
        }
    }
    out.push_back('"');
}

void appendInteger(std::string& out, std::int32_t value) {
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.push_back(',');
    out.append(buffer, end);
}

// True for the "#0.00" text the table keeps its rates in, with at most 15
// digits: "-"?, "0" or digits without a leading zero, ".", two digits.
bool isShortTwoDecimalText(std::string_view text) {
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    const std::size_t point = text.size() >= 4 ? text.size() - 3 : std::string_view::npos;
    if (point == std::string_view::npos || text.size() > 16 || text[point] != '.') return false;
    if (text[0] == '0' && point != 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != point && (text[i] < '0' || text[i] > '9')) return false;
    }
    return true;
}

// A rate cell read back as a number and written in its shortest form. For
// the table's own two-decimal text that is the text without its trailing
// zeros: up to 15 digits survive the trip through a double unchanged.
void appendRate(std::string& out, const std::string& cell) {
    out.push_back(',');
    if (!isShortTwoDecimalText(cell)) {
        out.append(numberText(parseLeadingNumber(cell)));
        return;
    }
    std::string_view text = cell;
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
    out.append(text == "-0" ? "0" : text);
}

}  // namespace

std::string formatCsv(const UsageTable& table, CsvEncoding encoding) {
    std::string out;
    out.reserve(table.rowCount() * 64);
    for (std::size_t position = 0; position < table.rowCount(); ++position) {
        const UsageRow& row = table.row(position);
        appendQuoted(out, row.cardNumber, encoding);
        out.push_back(',');
        appendQuoted(out, row.cardName, encoding);
        appendInteger(out, narrowCardCount(static_cast<double>(row.decks), row.cardNumber));
        appendInteger(out, narrowCardCount(row.copies, row.cardNumber));
        appendRate(out, row.adoptionRate);
        appendRate(out, row.usageRate);
        out += "\r\n";
    }
    return out;
}

}  // namespace sormel
