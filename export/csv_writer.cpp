#include "csv_writer.h"

#include "numeric_text.h"
#include "text_decoding.h"

namespace sormel {
namespace {

void appendQuoted(std::string& out, const std::string& utf8, CsvEncoding encoding) {
    const std::string text = encoding == CsvEncoding::Cp932 ? encodeCp932(utf8) : utf8;
    out.push_back('"');
    for (const char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

std::int32_t narrowedCount(double value, const UsageRow& row) {
    try {
        return narrowToInteger(value);
    } catch (const OverflowError& error) {
        throw CardError(error.what(), row.cardNumber);
    }
}

// A rate cell read back as a number and written in its shortest form.
std::string rateField(const std::string& cell) { return numberText(parseLeadingNumber(cell)); }

}  // namespace

std::string formatCsv(const UsageTable& table, CsvEncoding encoding) {
    std::string out;
    for (std::size_t position = 0; position < table.rowCount(); ++position) {
        const UsageRow& row = table.row(position);
        appendQuoted(out, row.cardNumber, encoding);
        out.push_back(',');
        appendQuoted(out, row.cardName, encoding);
        out += ',' + integerText(narrowedCount(static_cast<double>(row.decks), row));
        out += ',' + integerText(narrowedCount(row.copies, row));
        out += ',' + rateField(row.adoptionRate);
        out += ',' + rateField(row.usageRate);
        out += "\r\n";
    }
    return out;
}

}  // namespace sormel
