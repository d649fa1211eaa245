#include "engine/tally_run.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "engine/deck_file.h"
#include "engine/deck_lines.h"
#include "engine/text_decoding.h"

namespace sormel {
namespace {

std::string withPlace(const std::string& message, const std::filesystem::path& file, std::size_t lineNumber) {
    return message + "\nファイル: " + displayPath(file) + "（" + std::to_string(lineNumber) + " 行目）";
}

class Tally {
public:
    Tally(UsageTable& table, const std::vector<std::filesystem::path>& files, TallyHost& host)
        : table_(table), files_(files), host_(host), deckCount_(static_cast<std::int64_t>(files.size())) {}

    // Reads every file; false when the user cancelled on the way.
    bool readAllFiles() {
        for (std::size_t index = 0; index < files_.size(); ++index) {
            host_.fileStarted(index);
            if (!readFile(index)) return false;
            const bool normalMode = !host_.highSpeed();
            if (normalMode) table_.SortResults();
            host_.fileFinished(index, normalMode);
        }
        return true;
    }

private:
    bool readFile(std::size_t index) {
        const std::filesystem::path& path = files_[index];
        readWholeFile(path, text_);
        const DeckEncoding encoding = prepareDeckText(text_);
        LineCursor cursor(text_);
        bool fileStart = true;
        while (!cursor.atEnd()) {
            host_.processEvents(fileStart);
            fileStart = false;
            if (host_.cancelRequested()) return false;
            std::string_view line;
            cursor.next(line);
            const DeckFields fields = splitDeckLine(line);
            const LineClass lineClass = classifyCountField(fields.count);
            if (lineClass.kind == LineKind::SideSeparator) {
                if (!host_.includeSidePart()) break;
            } else if (lineClass.kind == LineKind::Card) {
                try {
                    countCardLine(fields, lineClass.copies, encoding, index + 1);
                } catch (const CardError& error) {
                    throw std::runtime_error(withPlace(error.what(), path, cursor.lineNumber()));
                }
            }
        }
        return true;
    }

    void countCardLine(const DeckFields& fields, double copies, DeckEncoding encoding, std::size_t deckPosition) {
        std::string_view cardNumber = fields.cardNumber;
        if (encoding == DeckEncoding::Cp932 && !isAscii(cardNumber)) {
            decodedNumber_ = decodeCp932(cardNumber);
            cardNumber = decodedNumber_;
        }
        std::optional<std::size_t> handle = table_.findCard(cardNumber);
        if (!handle) handle = table_.addCard(std::string(cardNumber), decodeField(fields.cardName(), encoding));
        table_.recordCardLine(*handle, copies, deckPosition);
        if (!host_.highSpeed()) {
            table_.computeMetrics(*handle, deckCount_, host_.sortChoice());
        } else if (!highSpeedEngaged_) {
            highSpeedEngaged_ = true;
            host_.highSpeedEngaged();
        }
    }

    UsageTable& table_;
    const std::vector<std::filesystem::path>& files_;
    TallyHost& host_;
    const std::int64_t deckCount_;
    std::string text_;
    std::string decodedNumber_;
    bool highSpeedEngaged_ = false;
};

}  // namespace

TallyOutcome runTally(UsageTable& table, const std::vector<std::filesystem::path>& files, TallyHost& host) {
    host.lockControls();
    table.reset();
    try {
        Tally tally(table, files, host);
        if (!tally.readAllFiles()) {
            host.unlockControls();
            host.runCancelled();
            return TallyOutcome::Cancelled;
        }
        table.computeAllMetrics(static_cast<std::int64_t>(files.size()), host.sortChoice());
    } catch (const std::bad_alloc&) {
        host.runFailed("メモリが不足しています。");
        host.unlockControls();
        return TallyOutcome::Failed;
    } catch (const std::exception& error) {
        host.runFailed(error.what());
        host.unlockControls();
        return TallyOutcome::Failed;
    }
    host.unlockControls();
    host.runCompleted();
    return TallyOutcome::Completed;
}

}  // namespace sormel
