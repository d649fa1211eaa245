#include "export/csv_writer.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "engine/numeric_text.h"
#include "engine/prefetch.h"
#include "engine/text_decoding.h"

namespace sormel {

std::size_t appendQuoted(std::string& out, std::string_view utf8, CsvEncoding encoding) {
    out.push_back('"');
    const std::size_t start = out.size();
    std::size_t lost = 0;
    if (encoding == CsvEncoding::Cp932) {
        lost = appendCp932(out, utf8);
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
    return lost;
}

namespace {

constexpr std::size_t kRowsAhead = 8;

void appendInteger(std::string& out, std::int32_t value) {
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.push_back(',');
    out.append(buffer, end);
}

// A rate in its shortest form; a rate not computed yet (a cancelled
// high-speed run) is written as 0.
void appendRate(std::string& out, const std::optional<std::int64_t>& hundredths) {
    out.push_back(',');
    if (hundredths) {
        appendShortHundredths(out, *hundredths);
    } else {
        out.push_back('0');
    }
}

}  // namespace

Cp932Loss cp932Loss(const UsageTable& table) {
    Cp932Loss loss;
    std::string encoded;
    for (std::size_t position = 0; position < table.rowCount(); ++position) {
        const UsageRow& row = table.row(position);
        encoded.clear();
        const std::size_t lost = appendCp932(encoded, row.cardNumber) + appendCp932(encoded, row.cardName);
        loss.characters += lost;
        if (lost > 0) ++loss.rows;
    }
    return loss;
}

std::string formatCsv(const UsageTable& table, CsvEncoding encoding, Cp932Loss* loss) {
    std::string out;
    out.reserve(table.rowCount() * 64);
    if (encoding == CsvEncoding::Utf8Bom) out = "\xEF\xBB\xBF";
    const std::size_t rowCount = table.rowCount();
    for (std::size_t position = 0; position < rowCount; ++position) {
        // Rows in display order lie anywhere in memory: the rows a few lines
        // on, and then their names, are fetched while this one is written.
        if (position + 2 * kRowsAhead < rowCount) prefetch(&table.row(position + 2 * kRowsAhead));
        if (position + kRowsAhead < rowCount) prefetch(table.row(position + kRowsAhead).cardName.data());
        const UsageRow& row = table.row(position);
        std::size_t lost = appendQuoted(out, row.cardNumber, encoding);
        out.push_back(',');
        lost += appendQuoted(out, row.cardName, encoding);
        if (loss != nullptr && lost > 0) {
            loss->characters += lost;
            ++loss->rows;
        }
        appendInteger(out, narrowCardCount(static_cast<double>(row.decks), row.cardNumber));
        appendInteger(out, narrowCardCount(row.copies, row.cardNumber));
        appendRate(out, row.adoption);
        appendRate(out, row.usage);
        out += "\r\n";
    }
    return out;
}

}  // namespace sormel
