#include "app/batch_mode.h"

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/run_figures.h"
#include "app/batch_outputs.h"
#include "app/terminal.h"
#include "engine/deck_file.h"
#include "engine/deck_listing.h"
#include "engine/deck_observer.h"
#include "engine/tally_run.h"
#include "engine/text_decoding.h"
#include "engine/visible_text.h"

namespace sormel {
namespace {

using Clock = std::chrono::steady_clock;

// Follows a run without a window: progress on a terminal, for a run that
// takes more than a moment.
class BatchProgress : public TallyHost {
public:
    explicit BatchProgress(std::size_t fileCount) : fileCount_(fileCount), enabled_(standardErrorIsTerminal()) {}
    ~BatchProgress() override {
        if (shown_) std::cerr << "\r集計中 " << filesDone_ << " / " << fileCount_ << '\n';
    }

    void fileFinished(std::size_t index, bool) override {
        filesDone_ = index + 1;
        if (!enabled_) return;
        const Clock::time_point now = Clock::now();
        if (now - started_ < std::chrono::milliseconds(500) || now - lastShown_ < std::chrono::milliseconds(100)) {
            return;
        }
        lastShown_ = now;
        shown_ = true;
        std::cerr << "\r集計中 " << index + 1 << " / " << fileCount_ << std::flush;
    }

private:
    const std::size_t fileCount_;
    const bool enabled_;
    bool shown_ = false;
    std::size_t filesDone_ = 0;
    const Clock::time_point started_ = Clock::now();
    Clock::time_point lastShown_{};
};

// Lists on standard error every line the run read past: "FILE:LINE: text".
class SkippedLinePrinter : public DeckObserver {
public:
    explicit SkippedLinePrinter(const std::vector<std::filesystem::path>& files) : files_(files) {}
    void lineSkipped(std::size_t index, std::size_t line, const std::string& text) override {
        std::cerr << displayPath(files_[index]) << ':' << line << ": " << visibleText(text) << '\n';
    }

private:
    const std::vector<std::filesystem::path>& files_;
};

bool writeToStandardOutput(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

// Lists the decks of `folder`; an error or an empty folder is reported and
// gives the exit status.
std::optional<int> listFolder(const BatchOptions& options, const FileMask& mask, const std::filesystem::path& folder,
                              bool baseline, FolderRun& run) {
    try {
        run.listing = listTypedDeckFiles(folder, mask, options.byFolder);
    } catch (const FileError& error) {
        std::cerr << error.what() << '\n';
        return kExitFailure;
    }
    if (run.listing.files.empty()) {
        std::cerr << (baseline ? "比較するフォルダーに集計対象ファイルがありません。\nフォルダー: " + displayPath(folder)
                               : std::string("集計対象ファイルがありません。"))
                  << '\n';
        return kExitFailure;
    }
    return std::nullopt;
}

// Tallies a listed folder; false (with the message shown) when the run failed.
bool tallyFolder(const BatchOptions& options, bool baseline, FolderRun& run) {
    AnalysisOptions analysis;
    analysis.includeSidePart = options.includeSidePart;
    analysis.sortChoice = options.sortChoice;
    analysis.mergeByName = options.mergeByName;
    analysis.copyLimit = options.copyLimit;
    analysis.byFolder = options.byFolder;
    analysis.cardFigures = !options.reports.empty();
    analysis.averageDeck = options.averageDeck.has_value();
    run.figures = std::make_unique<RunFigures>(analysis, run.listing, baseline);
    const std::vector<std::filesystem::path>& files = run.listing.files;
    BatchProgress progress(files.size());
    SkippedLinePrinter skipped(files);
    DeckObservers observers;
    if (DeckObserver* figures = run.figures->observer()) observers.add(*figures);
    if (options.showSkipped && !baseline) observers.add(skipped);
    TallyOptions tally = run.figures->tallyOptions(observers.empty() ? nullptr : &observers);
    tally.format = options.format;
    // For measurements: how many threads read ahead of the tally.
    tally.readThreads = readThreadsFromSetting(std::getenv("SORMEL_READ_THREADS"));
    const TallyResult result = runTally(run.table, files, tally, progress);
    if (result.outcome != TallyOutcome::Completed) {
        std::cerr << result.message << '\n';
        return false;
    }
    return true;
}

void warnAboutCp932Loss(const Cp932Loss& loss) {
    if (loss.characters == 0) return;
    std::cerr << "注意: Shift_JIS (cp932) で表せない文字 " << loss.characters << " 文字（" << loss.rows
              << " 枚のカード）を「?」にしました。--encoding utf-8-bom で保存するとそのまま残せます。\n";
}

}  // namespace

int runBatch(const BatchOptions& options) {
    const std::optional<FileMask> mask = FileMask::parse(options.mask);
    if (!mask) {
        std::cerr << "ファイルマスクが正しくありません（パス区切りや制御文字は使えません）: "
                  << visibleText(toValidUtf8(options.mask)) << '\n';
        return kExitUsage;
    }
    FolderRun current;
    if (const std::optional<int> status = listFolder(options, *mask, options.folder, false, current)) return *status;
    FolderRun before;
    if (options.baseline) {
        if (const std::optional<int> status = listFolder(options, *mask, *options.baseline, true, before)) {
            return *status;
        }
    }

    // Every output is checked, and opened, before anything is read.
    BatchOutputs outputs(options);
    if (const std::optional<BatchOutputs::Refusal> refusal =
            outputs.reserve(current.listing.files, before.listing.files, current.listing.typeNames)) {
        std::cerr << refusal->message << '\n';
        return refusal->usage ? kExitUsage : kExitFailure;
    }

    if (!tallyFolder(options, false, current)) return kExitFailure;
    if (options.baseline && !tallyFolder(options, true, before)) return kExitFailure;
    try {
        current.figures->finish(options.sortChoice);
        if (options.baseline) before.figures->finish(options.sortChoice);
        Cp932Loss loss;
        const std::string csv = formatCsv(current.table, options.encoding, &loss);
        warnAboutCp932Loss(loss);
        std::optional<ReportData> data;
        if (!options.reports.empty()) {
            data = current.figures->takeReport(current.table, options.baseline ? before.figures.get() : nullptr,
                                               options.baseline ? &before.table : nullptr, options.folder,
                                               options.baseline ? &*options.baseline : nullptr);
            data->date = localDateText(std::time(nullptr));
        }
        if (options.averageDeck) {
            // A report holds the average decks already; they are built once.
            if (data) {
                std::vector<std::pair<std::string, AverageDeckFigures>> types;
                for (const TypeReport& type : data->types) types.emplace_back(type.name, *type.report.averageDeck);
                outputs.fillAverageDecks(*data->report.averageDeck, types);
            } else {
                outputs.fillAverageDecks(current.figures->averageDeck(current.table),
                                         current.figures->typeAverageDecks());
            }
        }
        // What the run gathered is in the report data now: it goes before
        // the reports are written, which take about as much memory again.
        current.figures.reset();
        before.figures.reset();
        if (data) outputs.fillReports(*data);
        if (options.output) outputs.fillCsv(csv);
        outputs.commit();
        if (!options.output && !writeToStandardOutput(csv)) {
            std::cerr << "標準出力に書き込めません。\n";
            return kExitFailure;
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace sormel
