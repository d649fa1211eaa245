// Builds a usage table from fuzzed operations, checks its display order
// against the keys each row was given, then writes it as CSV and reads the
// CSV back: every record must carry the six fields the table holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "export/csv_writer.h"
#include "fuzz_support.h"
#include "engine/numeric_text.h"
#include "engine/text_decoding.h"
#include "engine/usage_table.h"

using namespace sormel;
using sormel::fuzz::escaped;

namespace {

// Texts as deck fields give them: valid UTF-8 without ",", CR or LF. Short
// texts from a few letters make repeated card numbers likely.
std::string fieldText(FuzzedDataProvider& input) {
    std::string text;
    if (input.ConsumeBool()) {
        const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, 3);
        for (std::size_t i = 0; i < length; ++i) text.push_back("ab\"A"[input.ConsumeIntegralInRange(0, 3)]);
    } else {
        text = toValidUtf8(input.ConsumeRandomLengthString(40));
    }
    std::erase_if(text, [](char c) { return c == ',' || c == '\r' || c == '\n'; });
    return text;
}

double copiesValue(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: return input.ConsumeIntegralInRange(-3, 4);
        case 1: return input.ConsumeIntegralInRange(-2147483647, 2147483647);
        case 2: return input.ConsumeIntegralInRange(-8, 8) / 4.0;
        default: return input.ConsumeFloatingPoint<double>();
    }
}

// What the table should hold for one handle.
struct ModelRow {
    std::string number, name;
    std::int64_t decks = 0;
    double copies = 0;
    std::size_t lastDeck = 0;
    bool keyed = false;
    std::int32_t primary = 0, secondary = 0;
    std::string prefix;  // first eight bytes of the number when keyed
};

std::string prefix8(const std::string& number) {
    std::string p = number.substr(0, 8);
    p.resize(8, '\0');
    return p;
}

bool fitsInt32(double value) { return std::isfinite(value) && value >= -2147483648.5 && value < 2147483647.5; }

std::string rateNumber(const std::string& cell) {
    return numberText(parseLeadingNumber(cell));
}

std::size_t codePoints(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    UsageTable table;
    std::vector<ModelRow> model(1);  // by handle; handle 0 is the blank row
    bool pristine = true;
    const std::int64_t deckCount = input.ConsumeIntegralInRange<std::int64_t>(1, 40);
    std::size_t deck = 1;

    auto key = [&](std::size_t handle, SortChoice choice) {
        ModelRow& row = model[handle];
        const auto decks = narrowToInteger(static_cast<double>(row.decks));
        const auto copies = narrowToInteger(row.copies);
        row.keyed = true;
        row.primary = choice == SortChoice::ByCopies ? copies : decks;
        row.secondary = choice == SortChoice::ByCopies ? decks : copies;
        row.prefix = prefix8(row.number);
    };

    const int operations = input.ConsumeIntegralInRange(0, 60);
    for (int op = 0; op < operations && input.remaining_bytes() > 0; ++op) {
        const SortChoice choice = input.ConsumeBool() ? SortChoice::ByCopies : SortChoice::ByDecks;
        switch (input.ConsumeIntegralInRange(0, 7)) {
            case 0:
                deck = std::min<std::size_t>(deck + 1, static_cast<std::size_t>(deckCount));
                break;
            case 5: {
                // Metrics for one known row, as a normal-mode run does.
                const std::size_t handle = input.ConsumeIntegralInRange<std::size_t>(0, model.size() - 1);
                const bool ok = fitsInt32(model[handle].copies);
                try {
                    table.computeMetrics(handle, deckCount, choice);
                    FUZZ_CHECK(ok, "computeMetrics accepted copies %.17g", model[handle].copies);
                    key(handle, choice);
                } catch (const CardError&) {
                    FUZZ_CHECK(!ok, "computeMetrics refused copies %.17g", model[handle].copies);
                }
                break;
            }
            case 6:
                table.sortResults();
                break;
            case 7: {
                bool ok = true;
                for (const ModelRow& row : model) ok = ok && fitsInt32(row.copies);
                try {
                    table.resort(choice);
                    FUZZ_CHECK(ok, "resort accepted a count out of range");
                    for (std::size_t h = 0; h < model.size(); ++h) key(h, choice);
                } catch (const CardError&) {
                    FUZZ_CHECK(!ok, "resort refused the counts");
                    // The rows before the failing one in display order were
                    // keyed anew; re-key the model from scratch below.
                    return 0;
                }
                break;
            }
            default: {
                // A card line.
                std::string number = fieldText(input);
                std::string name = fieldText(input);
                const double copies = copiesValue(input);
                std::optional<std::size_t> handle = table.findCard(number);
                std::optional<std::size_t> expected;
                if (pristine && number.empty()) expected = 0;
                for (std::size_t h = 0; h < model.size() && !expected; ++h) {
                    if (!(h == 0 && pristine) && model[h].number == number) expected = h;
                }
                FUZZ_CHECK(handle == expected, "findCard(\"%s\")", escaped(number).c_str());
                if (!handle) {
                    handle = table.addCard(number, name);
                    if (pristine) {
                        FUZZ_CHECK(*handle == 0, "a new card did not take the blank row");
                        pristine = false;
                        model[0].number = number;
                        model[0].name = name;
                    } else {
                        FUZZ_CHECK(*handle == model.size(), "new handle %zu", *handle);
                        ModelRow added;
                        added.number = number;
                        added.name = name;
                        model.push_back(std::move(added));
                    }
                }
                ModelRow& row = model[*handle];
                const double total = roundToNumberTextPrecision(row.copies + copies);
                try {
                    table.recordCardLine(*handle, copies, deck);
                    FUZZ_CHECK(std::isfinite(total), "recordCardLine accepted a total of %.17g", total);
                    pristine = false;
                    if (row.lastDeck != deck) ++row.decks;
                    row.lastDeck = deck;
                    row.copies = total;
                } catch (const CardError&) {
                    FUZZ_CHECK(!std::isfinite(total), "recordCardLine refused a total of %.17g", total);
                }
            }
        }
    }
    // Rows with a key since the last change are the ones whose order is known.
    table.sortResults();

    // The display order: rows without a key first in the order added, then
    // by the keys the rows were last given.
    FUZZ_CHECK(table.rowCount() == model.size(), "%zu rows, expected %zu", table.rowCount(), model.size());
    std::vector<std::size_t> handles;
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        const UsageRow& row = table.row(i);
        FUZZ_CHECK(++seen[row.cardNumber] == 1 || row.cardNumber.empty(), "card number \"%s\" twice",
                   escaped(row.cardNumber).c_str());
        const std::optional<std::size_t> found = table.findCard(row.cardNumber);
        FUZZ_CHECK(found.has_value(), "row \"%s\" not found", escaped(row.cardNumber).c_str());
        const ModelRow& m = model[*found];
        FUZZ_CHECK(m.number == row.cardNumber && m.name == row.cardName && m.decks == row.decks &&
                       (m.copies == row.copies || (std::isnan(m.copies) && std::isnan(row.copies))),
                   "row %zu: \"%s\" decks %lld copies %.17g, expected decks %lld copies %.17g", i,
                   escaped(row.cardNumber).c_str(), static_cast<long long>(row.decks), row.copies,
                   static_cast<long long>(m.decks), m.copies);
        handles.push_back(*found);
    }
    for (std::size_t i = 1; i < handles.size(); ++i) {
        const ModelRow& a = model[handles[i - 1]];
        const ModelRow& b = model[handles[i]];
        bool inOrder;
        if (a.keyed != b.keyed) {
            inOrder = !a.keyed;
        } else if (!a.keyed) {
            inOrder = handles[i - 1] < handles[i];
        } else if (a.primary != b.primary) {
            inOrder = a.primary > b.primary;
        } else if (a.secondary != b.secondary) {
            inOrder = a.secondary > b.secondary;
        } else if (a.prefix != b.prefix) {
            inOrder = a.prefix < b.prefix;
        } else {
            inOrder = a.number < b.number || (a.number == b.number && handles[i - 1] < handles[i]);
        }
        FUZZ_CHECK(inOrder, "rows %zu (\"%s\") and %zu (\"%s\") out of order", i - 1, escaped(a.number).c_str(), i,
                   escaped(b.number).c_str());
    }

    // The CSV: refused exactly when a count does not fit, else one record of
    // six fields per row.
    bool countsFit = true;
    for (const ModelRow& row : model) countsFit = countsFit && fitsInt32(row.copies);
    std::string utf8;
    try {
        utf8 = formatCsv(table, CsvEncoding::Utf8);
        FUZZ_CHECK(countsFit, "formatCsv wrote a count out of range");
    } catch (const CardError&) {
        FUZZ_CHECK(!countsFit, "formatCsv refused counts that fit");
        return 0;
    }
    std::string error;
    const auto records = fuzz::readCsv(utf8, error);
    FUZZ_CHECK(records.has_value(), "CSV does not read back: %s\n%s", error.c_str(), escaped(utf8).c_str());
    FUZZ_CHECK(records->size() == table.rowCount(), "%zu records for %zu rows", records->size(), table.rowCount());
    for (std::size_t i = 0; i < records->size(); ++i) {
        const fuzz::CsvRecord& record = (*records)[i];
        const UsageRow& row = table.row(i);
        FUZZ_CHECK(record.size() == 6, "record %zu has %zu fields", i, record.size());
        FUZZ_CHECK(record[0].quoted && record[0].text == row.cardNumber, "record %zu number \"%s\"", i,
                   escaped(record[0].text).c_str());
        FUZZ_CHECK(record[1].quoted && record[1].text == row.cardName, "record %zu name \"%s\"", i,
                   escaped(record[1].text).c_str());
        const std::string decks = integerText(narrowToInteger(static_cast<double>(row.decks)));
        const std::string copies = integerText(narrowToInteger(row.copies));
        FUZZ_CHECK(!record[2].quoted && record[2].text == decks, "record %zu decks \"%s\", expected %s", i,
                   record[2].text.c_str(), decks.c_str());
        FUZZ_CHECK(!record[3].quoted && record[3].text == copies, "record %zu copies \"%s\", expected %s", i,
                   record[3].text.c_str(), copies.c_str());
        for (int rate = 0; rate < 2; ++rate) {
            const std::optional<std::int64_t>& hundredths = rate == 0 ? row.adoption : row.usage;
            const std::string cell = hundredths ? hundredthsText(*hundredths) : std::string();
            FUZZ_CHECK(cell.empty() || fuzz::isTwoDecimalShape(cell), "rate cell \"%s\"", cell.c_str());
            const fuzz::CsvField& field = record[4 + static_cast<std::size_t>(rate)];
            FUZZ_CHECK(!field.quoted && field.text == rateNumber(cell), "record %zu rate \"%s\" from cell \"%s\"", i,
                       field.text.c_str(), cell.c_str());
        }
    }

    // The code-page-932 CSV has the same shape; its texts keep every ASCII
    // character and one character for each other one.
    const std::string cp932 = formatCsv(table, CsvEncoding::Cp932);
    const auto cpRecords = fuzz::readCsv(cp932, error);
    FUZZ_CHECK(cpRecords.has_value(), "CP932 CSV does not read back: %s\n%s", error.c_str(), escaped(cp932).c_str());
    FUZZ_CHECK(cpRecords->size() == records->size(), "CP932 CSV has %zu records", cpRecords->size());
    for (std::size_t i = 0; i < records->size(); ++i) {
        const fuzz::CsvRecord& record = (*cpRecords)[i];
        FUZZ_CHECK(record.size() == 6, "CP932 record %zu has %zu fields", i, record.size());
        for (std::size_t f = 0; f < 6; ++f) {
            const std::string& original = (*records)[i][f].text;
            if (f >= 2) {
                FUZZ_CHECK(record[f].text == original, "CP932 record %zu field %zu", i, f);
                continue;
            }
            const std::string decoded = decodeCp932(record[f].text);
            FUZZ_CHECK(codePoints(decoded) == codePoints(original), "CP932 text \"%s\" read back as \"%s\"",
                       escaped(original).c_str(), escaped(decoded).c_str());
            if (isAscii(original)) FUZZ_CHECK(decoded == original, "ASCII text \"%s\" changed", escaped(original).c_str());
        }
    }
    return 0;
}
