// Whole deck files through a real run: the input is one or more deck files
// (split at kFileBreak) after one byte of options. The files are written to
// a scratch folder and tallied by runTally; an independent tally of the same
// bytes says what the table must hold, and whether and where the run must
// stop. The finished table is then written as CSV in both encodings.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "export/csv_writer.h"
#include "engine/deck_lines.h"
#include "fuzz_support.h"
#include "engine/numeric_text.h"
#include "engine/tally_run.h"
#include "engine/text_decoding.h"
#include "engine/usage_table.h"

using namespace sormel;
using sormel::fuzz::escaped;

namespace {

constexpr std::string_view kFileBreak = "\n=====\n";
constexpr std::size_t kMaxFiles = 8;

class Host : public TallyHost {
public:
    bool side = true, fast = false;
    SortChoice choice = SortChoice::ByDecks;
    std::size_t nextFile = 0;

    bool highSpeed() override { return fast; }
    void fileStarted(std::size_t index) override {
        FUZZ_CHECK(index == nextFile, "file %zu started, expected %zu", index, nextFile);
    }
    void fileFinished(std::size_t index, bool) override {
        FUZZ_CHECK(index == nextFile, "file %zu finished, expected %zu", index, nextFile);
        ++nextFile;
    }
};

// A folder of this process for the deck files, removed again at exit.
class ScratchFolder {
public:
    ScratchFolder() {
        const std::filesystem::path shm = "/dev/shm";
        const std::filesystem::path base = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        path_ = base / ("sormel-deck-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

const std::filesystem::path& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path();
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr, "cannot write %s", path.c_str());
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// Cutting the prepared text: lines hold no CR or LF, follow each other with
// one terminator between them, and give back the line when joined with ",".
void checkCutting(std::string_view text) {
    LineCursor cursor(text);
    std::size_t expectedStart = 0;
    std::string_view line;
    while (cursor.next(line)) {
        FUZZ_CHECK(line.data() == text.data() + expectedStart, "line %zu starts at the wrong place", cursor.lineNumber());
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos, "line %zu holds a line break",
                   cursor.lineNumber());
        std::size_t end = expectedStart + line.size();
        if (end < text.size()) {
            FUZZ_CHECK(text[end] == '\r' || text[end] == '\n', "line %zu ends early", cursor.lineNumber());
            end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        }
        expectedStart = end;

        const DeckFields fields = splitDeckLine(line);
        std::string joined(fields.count);
        if (fields.count.size() < line.size()) joined += "," + std::string(fields.cardNumber);
        if (fields.count.size() + 1 + fields.cardNumber.size() < line.size()) joined += "," + std::string(fields.rest);
        FUZZ_CHECK(joined == line, "fields of \"%s\" do not join back", escaped(line).c_str());
        FUZZ_CHECK(fields.count.find(',') == std::string_view::npos &&
                       fields.cardNumber.find(',') == std::string_view::npos &&
                       fields.cardName().find(',') == std::string_view::npos,
                   "a field of \"%s\" holds a comma", escaped(line).c_str());
    }
    FUZZ_CHECK(expectedStart == text.size(), "the lines stop at %zu of %zu bytes", expectedStart, text.size());
}

struct ModelCard {
    std::string number, name;
    std::int64_t decks = 0;
    double copies = 0;
    std::size_t lastDeck = 0;
};

bool fitsInt32(double value) { return std::isfinite(value) && value >= -2147483648.5 && value < 2147483647.5; }

// The run's result worked out with a map instead of the table.
struct Model {
    std::vector<ModelCard> cards;  // in the order first met
    std::map<std::string, std::size_t> byNumber;
    std::optional<std::size_t> failedFile, failedLine;

    void tally(const std::vector<std::string>& files, bool side, bool fast) {
        for (std::size_t f = 0; f < files.size() && !failedFile; ++f) {
            std::string text = files[f];
            const DeckEncoding encoding = prepareDeckText(text);
            if (encoding == DeckEncoding::Utf8) {
                FUZZ_CHECK(isValidUtf8(text), "prepared text is not UTF-8");
            } else {
                FUZZ_CHECK(!isValidUtf8(files[f]), "valid UTF-8 taken for CP932");
            }
            checkCutting(text);
            LineCursor cursor(text);
            std::string_view line;
            while (cursor.next(line)) {
                const DeckFields fields = splitDeckLine(line);
                const LineClass lineClass = classifyCountField(fields.count);
                if (lineClass.kind == LineKind::SideSeparator) {
                    if (!side) break;
                    continue;
                }
                if (lineClass.kind == LineKind::Ignored) continue;
                const std::string number = decodeField(fields.cardNumber, encoding);
                auto [it, added] = byNumber.emplace(number, cards.size());
                if (added) {
                    // A first card line without a number is counted in the
                    // table's blank row, which keeps its empty name.
                    const bool blank = cards.empty() && number.empty();
                    cards.push_back({number, blank ? std::string() : decodeField(fields.cardName(), encoding)});
                }
                ModelCard& card = cards[it->second];
                const double total = roundToNumberTextPrecision(card.copies + lineClass.copies);
                if (!std::isfinite(total) || (!fast && !fitsInt32(total))) {
                    failedFile = f;
                    failedLine = cursor.lineNumber();
                    return;
                }
                if (card.lastDeck != f + 1) ++card.decks;
                card.lastDeck = f + 1;
                card.copies = total;
            }
        }
    }
};

void checkRates(const UsageRow& row, std::int64_t deckCount) {
    FUZZ_CHECK(row.adoption && row.usage, "rates not computed");
    const std::string adoption = hundredthsText(*row.adoption), usage = hundredthsText(*row.usage);
    FUZZ_CHECK(fuzz::isTwoDecimalShape(adoption) && fuzz::isTwoDecimalShape(usage), "rates \"%s\" \"%s\"",
               adoption.c_str(), usage.c_str());
    const double decks = static_cast<double>(row.decks);
    const double copies = std::nearbyint(row.copies);
    FUZZ_CHECK(adoption == twoDecimalText(decks / static_cast<double>(deckCount) * 100), "adoption %s",
               adoption.c_str());
    FUZZ_CHECK(usage == twoDecimalText(copies / static_cast<double>(deckCount * 3) * 100), "usage %s", usage.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    Host host;
    host.side = (data[0] & 1) == 0;
    host.fast = (data[0] & 2) != 0;
    host.choice = (data[0] & 4) != 0 ? SortChoice::ByCopies : SortChoice::ByDecks;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<std::string> contents;
    for (;;) {
        const std::size_t at = contents.size() + 1 < kMaxFiles ? rest.find(kFileBreak) : std::string_view::npos;
        contents.emplace_back(rest.substr(0, at));
        if (at == std::string_view::npos) break;
        rest.remove_prefix(at + kFileBreak.size());
    }
    std::vector<std::filesystem::path> paths;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        paths.push_back(scratchFolder() / ("deck" + std::to_string(i) + ".txt"));
        writeFile(paths.back(), contents[i]);
    }
    const DeckFiles files = DeckFiles::ofPaths(paths);

    Model model;
    model.tally(contents, host.side, host.fast);
    const auto deckCount = static_cast<std::int64_t>(files.size());
    bool finalCountsFit = true;
    for (const ModelCard& card : model.cards) finalCountsFit = finalCountsFit && fitsInt32(card.copies);

    UsageTable table;
    // The model reads the program's own format; other formats are told
    // apart by content, so the run is held to that one.
    TallyOptions options{host.side, host.choice};
    options.format = DeckFormat::Native;
    const TallyResult result = runTally(table, files, options, host);
    const TallyOutcome outcome = result.outcome;
    if (model.failedFile) {
        FUZZ_CHECK(outcome == TallyOutcome::Failed, "the run did not stop at file %zu line %zu", *model.failedFile,
                   *model.failedLine);
        const std::string place = paths[*model.failedFile].string() + "（" + std::to_string(*model.failedLine) + " 行目）";
        FUZZ_CHECK(result.message.find(place) != std::string::npos, "message \"%s\" does not name %s",
                   result.message.c_str(), place.c_str());
    } else if (!finalCountsFit) {
        FUZZ_CHECK(outcome == TallyOutcome::Failed, "the run accepted a count out of range");
    } else {
        FUZZ_CHECK(outcome == TallyOutcome::Completed, "the run failed: %s", result.message.c_str());
    }
    FUZZ_CHECK(isValidUtf8(result.message), "message is not UTF-8");

    // Rows: one per card number, as the independent tally found them.
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        const UsageRow& row = table.row(i);
        FUZZ_CHECK(isValidUtf8(row.cardNumber) && isValidUtf8(row.cardName), "row %zu is not UTF-8", i);
        FUZZ_CHECK(++seen[row.cardNumber] == 1, "card number \"%s\" twice", escaped(row.cardNumber).c_str());
    }
    if (outcome == TallyOutcome::Completed) {
        const std::size_t expectedRows = model.cards.empty() ? 1 : model.cards.size();
        FUZZ_CHECK(table.rowCount() == expectedRows, "%zu rows, expected %zu", table.rowCount(), expectedRows);
        for (std::size_t i = 0; i < table.rowCount(); ++i) {
            const UsageRow& row = table.row(i);
            checkRates(row, deckCount);
            if (model.cards.empty()) {
                FUZZ_CHECK(row.cardNumber.empty() && row.decks == 0 && row.copies == 0, "blank row");
                continue;
            }
            const auto it = model.byNumber.find(row.cardNumber);
            FUZZ_CHECK(it != model.byNumber.end(), "unexpected card \"%s\"", escaped(row.cardNumber).c_str());
            const ModelCard& card = model.cards[it->second];
            FUZZ_CHECK(row.cardName == card.name && row.decks == card.decks && row.copies == card.copies,
                       "card \"%s\": name \"%s\" decks %lld copies %.17g, expected \"%s\" %lld %.17g",
                       escaped(row.cardNumber).c_str(), escaped(row.cardName).c_str(),
                       static_cast<long long>(row.decks), row.copies, escaped(card.name).c_str(),
                       static_cast<long long>(card.decks), card.copies);
            if (i == 0) continue;
            // Primary count descending, secondary descending, number ascending.
            const UsageRow& before = table.row(i - 1);
            const auto keyOf = [&](const UsageRow& r) {
                const auto decks = static_cast<std::int64_t>(r.decks);
                const auto copies = static_cast<std::int64_t>(std::nearbyint(r.copies));
                return host.choice == SortChoice::ByCopies ? std::pair(copies, decks) : std::pair(decks, copies);
            };
            const auto a = keyOf(before), b = keyOf(row);
            const bool inOrder = a.first != b.first     ? a.first > b.first
                                 : a.second != b.second ? a.second > b.second
                                                        : before.cardNumber < row.cardNumber;
            FUZZ_CHECK(inOrder, "rows %zu and %zu out of order", i - 1, i);
        }
    }

    // The CSV in both encodings: refused only for a count out of range, and
    // one CR LF-ended record per row.
    for (const CsvEncoding encoding : {CsvEncoding::Utf8, CsvEncoding::Cp932}) {
        try {
            const std::string csv = formatCsv(table, encoding);
            std::string error;
            const auto records = fuzz::readCsv(csv, error);
            FUZZ_CHECK(records.has_value(), "CSV does not read back: %s", error.c_str());
            FUZZ_CHECK(records->size() == table.rowCount(), "%zu records for %zu rows", records->size(),
                       table.rowCount());
        } catch (const CardError&) {
            FUZZ_CHECK(outcome != TallyOutcome::Completed, "formatCsv refused a completed run's table");
        }
    }

    // Read as whatever format each file looks like, every reader keeps the
    // table's own invariants: one row per key, valid UTF-8, messages that
    // are UTF-8.
    UsageTable detected;
    options.format = DeckFormat::Auto;
    options.mergeByName = (data[0] & 8) != 0;
    TallyHost quiet;
    const TallyResult autoResult = runTally(detected, files, options, quiet);
    FUZZ_CHECK(isValidUtf8(autoResult.message), "message is not UTF-8");
    std::map<std::string, int> keys;
    for (std::size_t i = 0; i < detected.rowCount(); ++i) {
        const UsageRow& row = detected.row(i);
        FUZZ_CHECK(isValidUtf8(row.cardNumber) && isValidUtf8(row.cardName), "row %zu is not UTF-8", i);
        FUZZ_CHECK(++keys[detected.keyAt(detected.handleAt(i))] == 1, "a key twice");
    }
    for (const DeckWarning& warning : autoResult.warnings) {
        FUZZ_CHECK(isValidUtf8(warning.message), "a warning is not UTF-8");
    }

    // Each format of other programs read whether or not the file is in it:
    // no crash, rows and messages in UTF-8, a warning for a file without
    // a card entry.
    constexpr DeckFormat kForced[] = {DeckFormat::Cod, DeckFormat::O8d, DeckFormat::Ydke, DeckFormat::Csv};
    options.format = kForced[(data[0] >> 4) & 3];
    UsageTable forced;
    const TallyResult forcedResult = runTally(forced, files, options, quiet);
    FUZZ_CHECK(isValidUtf8(forcedResult.message), "message is not UTF-8");
    for (std::size_t i = 0; i < forced.rowCount(); ++i) {
        const UsageRow& row = forced.row(i);
        FUZZ_CHECK(isValidUtf8(row.cardNumber) && isValidUtf8(row.cardName), "row %zu is not UTF-8", i);
    }
    for (const DeckWarning& warning : forcedResult.warnings) {
        FUZZ_CHECK(isValidUtf8(warning.message), "a warning is not UTF-8");
        FUZZ_CHECK(warning.file < files.size(), "a warning names no file");
    }
    return 0;
}
