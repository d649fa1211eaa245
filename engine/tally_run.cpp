#include "engine/tally_run.h"

#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "engine/deck_observer.h"
#include "engine/deck_text.h"
#include "engine/file_error.h"
#include "engine/native_deck_reader.h"
#include "engine/read_ahead.h"
#include "engine/text_decoding.h"

namespace sormel {
namespace {

std::string withPlace(const std::string& message, const std::filesystem::path& file, std::size_t lineNumber) {
    return message + "\nファイル: " + displayPath(file) + "（" + std::to_string(lineNumber) + " 行目）";
}

class Tally {
public:
    Tally(UsageTable& table, const DeckFiles& files, const TallyOptions& options, TallyHost& host)
        : table_(table), files_(files), options_(options), host_(host),
          deckCount_(static_cast<std::int64_t>(files.size())),
          readAhead_(files, options.readThreads, ReadAheadLimits{}, options.readGate,
                     DeckTextOptions{options.format, options.includeSidePart}) {}

    // Reads every file; false when the user cancelled on the way.
    bool readAllFiles() {
        for (std::size_t index = 0; index < files_.size(); ++index) {
            // The names of the files read long ago may leave memory.
            constexpr std::size_t kEvery = DeckFiles::kLetGoEvery;
            if (index % kEvery == 0 && index >= kEvery) files_.letGoBefore(index - kEvery / 2);
            host_.fileStarted(index);
            if (!readFile(index)) return false;
            const bool normalMode = !host_.highSpeed();
            if (normalMode) table_.sortResults();
            host_.fileFinished(index, normalMode);
        }
        return true;
    }

    // Rates and keys of every row for the whole run, then the final order.
    // A count that left the integer range on the way is named with the
    // line where it did.
    void finish() {
        try {
            table_.computeAllMetrics(deckCount_, options_.sortChoice);
        } catch (const CardError& error) {
            const UsageRow* row = table_.rowShowing(error.cardNumber());
            if (row == nullptr || row->rangeLeftDeck == 0) throw;
            throw std::runtime_error(withPlace(error.what(), files_.path(row->rangeLeftDeck - 1), row->rangeLeftLine));
        }
    }

private:
    bool readFile(std::size_t index) {
        linesAhead_.clear();
        try {
            readAhead_.take(index, deck_);
        } catch (const DeckFormatError& error) {
            throw std::runtime_error(withPlace(error.what(), files_.path(index), error.line()));
        }
        const std::string& text = deck_.bytes;
        const DeckEncoding encoding = deck_.encoding;
        const DeckFormat format = deck_.format;
        if (options_.observer != nullptr) options_.observer->deckStarted(index);
        ++filesByFormat_[static_cast<std::size_t>(format)];
        bool finished = false;
        if (format == DeckFormat::Native) {
            // The program's own format is read on the raw bytes.
            if (!options_.mergeByName && table_.rowCount() > kCachedRows) {
                prefetchCards();
                SplitNativeDeckReader reader(splitLines_, options_.includeSidePart);
                finished = readDeck<true>(reader, encoding, index);
            } else {
                NativeDeckReader reader(text, options_.includeSidePart);
                finished = readDeck(reader, encoding, index);
            }
        } else {
            std::unique_ptr<DeckReader> reader = std::move(deck_.reader);
            try {
                if (!reader) reader = makeDeckReader(format, text, options_.includeSidePart);
            } catch (const DeckFormatError& error) {
                throw std::runtime_error(withPlace(error.what(), files_.path(index), error.line()));
            }
            finished = readDeck(*reader, encoding, index);
        }
        // An unknown XML root has a warning of its own.
        if (finished && !entrySeen_ && format != DeckFormat::Xml) {
            warnings_.push_back({index, 0, "カードが 1 枚もありません（デッキ数には数えます）。"});
        }
        if (finished && options_.readSidePart && !options_.includeSidePart && options_.observer != nullptr) {
            readSideOnly(format, encoding);
        }
        if (finished && options_.observer != nullptr) options_.observer->deckFinished(index);
        return finished;
    }

    // With more rows than the processor's caches hold, every card line
    // would wait for memory twice, for its index slot and for its row. The
    // deck's lines are looked up ahead, all together, so the waits overlap.
    // The lines are split once, and the rows found kept, for counting them.
    static constexpr std::size_t kCachedRows = 8192;
    void prefetchCards() {
        splitLines_.clear();
        LineCursor cursor(deck_.bytes);
        std::string_view line;
        while (cursor.next(line)) {
            const SplitDeckLine& split = splitLines_.emplace_back(SplitDeckLine{line, splitDeckLine(line)});
            UsageTable::LookAhead& ahead = linesAhead_.emplace_back();
            const std::string_view number = split.fields.cardNumber;
            // A number in code page 932 is looked up once decoded, when counted.
            if (number.data() == nullptr || !isAscii(number)) continue;
            ahead.key = number;
            table_.prefetchIndex(ahead);
        }
        for (UsageTable::LookAhead& ahead : linesAhead_) {
            if (ahead.key.data() != nullptr) table_.prefetchRow(ahead);
        }
    }

    // The row prefetchCards found for the card number of a line, if it did.
    std::optional<std::size_t> foundAhead(std::string_view cardNumber, std::size_t line) const {
        if (line - 1 >= linesAhead_.size()) return std::nullopt;  // also line 0
        const UsageTable::LookAhead& ahead = linesAhead_[line - 1];
        if (ahead.handlePlusOne == 0 || ahead.key.data() != cardNumber.data() || ahead.key.size() != cardNumber.size()) {
            return std::nullopt;
        }
        return ahead.handlePlusOne - 1;
    }

    // The side part's card lines, read again with the side part for the
    // observer only. A line that cannot be read is passed over quietly: these
    // lines count nothing.
    void readSideOnly(DeckFormat format, DeckEncoding encoding) {
        try {
            if (format == DeckFormat::Native) {
                NativeDeckReader reader(deck_.bytes, true);
                passSideEntries(reader, encoding);
            } else {
                passSideEntries(*makeDeckReader(format, deck_.bytes, true), encoding);
            }
        } catch (const std::exception&) {
        }
    }

    template <typename Reader>
    void passSideEntries(Reader& reader, DeckEncoding encoding) {
        DeckEntry entry;
        while (!reader.atEnd()) {
            const std::size_t before = reader.lineNumber();
            DeckStep step = DeckStep::Other;
            try {
                step = reader.next(entry);
            } catch (const CardError&) {
                if (reader.lineNumber() == before) return;  // the reader cannot move past it
                continue;
            }
            if (step == DeckStep::EndDeck) break;
            if (step != DeckStep::Card || entry.part != DeckPart::Side) continue;
            options_.observer->sideEntryRead(keyOf(entry, encoding), entry.copies);
        }
    }

    // The entry's card number as UTF-8.
    std::string_view decodedNumber(const DeckEntry& entry, DeckEncoding encoding) {
        if (encoding != DeckEncoding::Cp932 || isAscii(entry.cardNumber)) return entry.cardNumber;
        decodedNumber_ = decodeCp932(entry.cardNumber);
        return decodedNumber_;
    }

    // The key the table's rows use for the entry's card.
    std::string_view keyOf(const DeckEntry& entry, DeckEncoding encoding) {
        const std::string_view cardNumber = decodedNumber(entry, encoding);
        if (!options_.mergeByName) return cardNumber;
        decodedName_ = decodeField(entry.cardName(), encoding);
        return decodedName_.empty() ? cardNumber : std::string_view(decodedName_);
    }

    template <bool kLookedAhead = false, typename Reader>
    bool readDeck(Reader& reader, DeckEncoding encoding, std::size_t index) {
        bool fileStart = true;
        bool entrySeen = false;
        DeckEntry entry;
        while (!reader.atEnd()) {
            if (!host_.keepGoing(fileStart)) return false;
            fileStart = false;
            try {
                const DeckStep step = reader.next(entry);
                // The rest of an own-format file is its side part, which
                // may hold entries: no warning for a file cut short so.
                if (step == DeckStep::EndDeck) {
                    entrySeen = true;
                    break;
                }
                entrySeen = entrySeen || step == DeckStep::Card || step == DeckStep::SideLeftOut;
                if (step == DeckStep::Warning) warnings_.push_back({index, reader.lineNumber(), reader.warning()});
                if (step == DeckStep::Skipped && options_.observer != nullptr) {
                    options_.observer->lineSkipped(index, reader.lineNumber(), decodeField(reader.lineText(), encoding));
                }
                if (step != DeckStep::Card) continue;
                countEntry<kLookedAhead>(entry, encoding, index + 1, reader.lineNumber());
            } catch (const CardError& error) {
                throw std::runtime_error(withPlace(error.what(), files_.path(index), reader.lineNumber()));
            }
        }
        entrySeen_ = entrySeen;
        return true;
    }

    // `kLookedAhead`: the deck's lines were looked up by prefetchCards.
    template <bool kLookedAhead>
    void countEntry(const DeckEntry& entry, DeckEncoding encoding, std::size_t deckPosition, std::size_t line) {
        std::optional<std::size_t> handle;
        if constexpr (kLookedAhead) handle = foundAhead(entry.cardNumber, line);
        // A number found ahead is plain ASCII: the same decoded or not.
        const std::string_view cardNumber = handle ? entry.cardNumber : decodedNumber(entry, encoding);
        std::string_view key = cardNumber;
        if (handle) {
            // Found ahead, by number: rows merged by name are never looked up so.
        } else if (options_.mergeByName) {
            // Printings of one card are one row: keyed by the name, or by
            // the number for a line without a name.
            decodedName_ = decodeField(entry.cardName(), encoding);
            if (!decodedName_.empty()) key = decodedName_;
            handle = table_.findCard(key);
            if (!handle) handle = table_.addCard(std::string(cardNumber), decodedName_, std::string(key));
        } else {
            handle = table_.findCard(cardNumber);
            if (!handle) handle = table_.addCard(std::string(cardNumber), decodeField(entry.cardName(), encoding));
        }
        table_.recordCardLine(*handle, entry.copies, deckPosition, line);
        // Counted as every card line is, but a row without a number is
        // rarely what the file meant.
        if (cardNumber.empty()) warnings_.push_back({deckPosition - 1, line, "カード番号が空です。"});
        if (options_.observer != nullptr) options_.observer->entryCounted({*handle, key, entry, encoding, line, cardNumber});
        if (!host_.highSpeed()) {
            table_.computeMetrics(*handle, deckCount_, options_.sortChoice);
        } else if (!highSpeedEngaged_) {
            highSpeedEngaged_ = true;
            host_.highSpeedEngaged();
        }
    }

public:
    std::vector<DeckWarning> warnings_;
    std::vector<std::size_t> filesByFormat_ = std::vector<std::size_t>(kDeckFormatCount);

private:
    UsageTable& table_;
    const DeckFiles& files_;
    const TallyOptions options_;
    TallyHost& host_;
    const std::int64_t deckCount_;
    DeckText deck_;  // the deck being read
    std::string decodedNumber_;
    std::string decodedName_;
    bool highSpeedEngaged_ = false;
    bool entrySeen_ = false;  // whether the deck read last held a card entry, main or side
    // By line of the deck being read, from prefetchCards.
    std::vector<SplitDeckLine> splitLines_;
    std::vector<UsageTable::LookAhead> linesAhead_;
    ReadAhead readAhead_;
};

}  // namespace

TallyResult runTally(UsageTable& table, const DeckFiles& files, const TallyOptions& options, TallyHost& host) {
    table.setSeparateKeys(options.mergeByName);
    table.reset();
    try {
        Tally tally(table, files, options, host);
        if (!tally.readAllFiles()) return {TallyOutcome::Cancelled, {}, {}, {}};
        tally.finish();
        return {TallyOutcome::Completed, {}, std::move(tally.warnings_), std::move(tally.filesByFormat_)};
    } catch (const std::bad_alloc&) {
        return {TallyOutcome::Failed, "メモリが不足しています。", {}, {}};
    } catch (const std::exception& error) {
        return {TallyOutcome::Failed, error.what(), {}, {}};
    }
}

}  // namespace sormel
