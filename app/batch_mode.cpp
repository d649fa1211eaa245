#include "app/batch_mode.h"

#include <algorithm>
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

#include "analysis/folder_analysis.h"
#include "app/batch_outputs.h"
#include "app/batch_periods.h"
#include "app/terminal.h"
#include "engine/deck_format.h"
#include "engine/file_error.h"
#include "engine/visible_text.h"
#include "export/report_conditions.h"

namespace sormel {
namespace {

using Clock = std::chrono::steady_clock;

// Follows an analysis without a window: progress on a terminal, for a run
// that takes more than a moment, and with --show-skipped the lines the run
// read past, as "FILE:LINE: text".
class BatchHost : public AnalysisHost {
public:
    explicit BatchHost(bool showSkipped) : showSkipped_(showSkipped), enabled_(standardErrorIsTerminal()) {}
    ~BatchHost() override { endProgressLine(); }

    void folderStarted(bool, std::size_t files) override {
        endProgressLine();
        fileCount_ = files;
        filesDone_ = 0;
        started_ = Clock::now();
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

    void deckWarning(const std::filesystem::path& file, std::size_t line, const std::string& message) override {
        ++warnings_;
        if (warnings_ > kShownWarnings) return;
        std::cerr << displayPath(file);
        if (line != 0) std::cerr << ':' << line;
        std::cerr << ": 警告: " << visibleText(message) << '\n';
    }

    void formatsRead(const std::vector<std::size_t>& filesByFormat) override {
        filesByFormat_.resize(std::max(filesByFormat_.size(), filesByFormat.size()));
        for (std::size_t format = 0; format < filesByFormat.size(); ++format) {
            filesByFormat_[format] += filesByFormat[format];
        }
    }

    // After the run: how many warnings were not shown, and, when the files
    // were of several formats or there were warnings, what was read.
    void endWarnings() const {
        if (warnings_ > kShownWarnings) std::cerr << "ほかに警告が " << warnings_ - kShownWarnings << " 件あります。\n";
        const auto formatsSeen = static_cast<std::size_t>(
            std::count_if(filesByFormat_.begin(), filesByFormat_.end(), [](std::size_t files) { return files > 0; }));
        if (formatsSeen > 1 || warnings_ > 0) {
            std::cerr << "読み込み: " << formatsReadText(filesByFormat_) << " / 警告 " << warnings_ << " 件\n";
        }
    }
    std::size_t warnings() const { return warnings_; }

    bool wantsSkippedLines() const override { return showSkipped_; }
    void lineSkipped(const std::filesystem::path& file, std::size_t line, const std::string& text) override {
        std::cerr << displayPath(file) << ':' << line << ": " << visibleText(text) << '\n';
    }

private:
    void endProgressLine() {
        if (shown_) std::cerr << "\r集計中 " << filesDone_ << " / " << fileCount_ << '\n';
        shown_ = false;
    }

    static constexpr std::size_t kShownWarnings = 20;
    const bool showSkipped_;
    const bool enabled_;
    std::size_t warnings_ = 0;
    std::vector<std::size_t> filesByFormat_;
    bool shown_ = false;
    std::size_t fileCount_ = 0;
    std::size_t filesDone_ = 0;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastShown_{};
};

bool writeToStandardOutput(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

int exitStatus(const AnalysisStatus& status) {
    std::cerr << status.message << '\n';
    return status.outcome == AnalysisOutcome::Refused ? kExitUsage : kExitFailure;
}

void warnAboutCp932Loss(const Cp932Loss& loss) {
    if (loss.characters == 0) return;
    std::cerr << "注意: Shift_JIS (cp932) で表せない文字 " << loss.characters << " 文字（" << loss.rows
              << " 枚のカード）を「?」にしました。--encoding utf-8-bom で保存するとそのまま残せます。\n";
}

std::optional<BatchOutputs::Refusal> reserveOutputs(BatchOutputs& outputs, const FolderAnalysis& analysis) {
    return outputs.reserve(analysis.listing().files, analysis.baselineListing().files, analysis.possibleTypeNames());
}

std::string plainCsv(const FolderAnalysis& analysis, CsvEncoding encoding, Cp932Loss* loss) {
    return formatCsv(analysis.table(), encoding, loss);
}

// One folder (FolderAnalysis) or several periods (PeriodAnalysis), from
// listing to the outputs put in place.
template <typename Analysis>
int runAnalysis(Analysis& analysis, const BatchOptions& options, const AnalysisRequest& request) {
    if (const AnalysisStatus status = analysis.list(); !status.completed()) return exitStatus(status);

    // Every output is checked, and opened, before anything is read.
    BatchOutputs outputs(options);
    if (const std::optional<BatchOutputs::Refusal> refusal = reserveOutputs(outputs, analysis)) {
        std::cerr << refusal->message << '\n';
        return refusal->usage ? kExitUsage : kExitFailure;
    }

    {
        BatchHost host(options.showSkipped);
        if (const AnalysisStatus status = analysis.run(host); !status.completed()) return exitStatus(status);
        host.endWarnings();
        if (options.strict && host.warnings() > 0) {
            std::cerr << "--strict のため、警告があったので何も書き出しません。\n";
            return kExitFailure;
        }
    }
    for (const std::string& warning : analysis.ruleWarnings()) std::cerr << warning << '\n';
    try {
        Cp932Loss loss;
        const std::string csv = plainCsv(analysis, options.encoding, &loss);
        warnAboutCp932Loss(loss);
        // Made before the report takes what the run gathered.
        if (request.suggestTypes) outputs.fillSuggestedTypes(analysis.suggestedRules());
        std::optional<ReportData> data;
        if (request.report) {
            data = analysis.takeReport();
            data->date = localDateText(std::time(nullptr));
        }
        if (request.averageDecks) {
            // A report holds the average decks already; they are built once.
            const AverageDeckSet decks = data ? averageDecksOf(*data) : analysis.averageDecks();
            outputs.fillAverageDecks(decks.all, decks.types);
        }
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

}  // namespace

int runBatch(const BatchOptions& options) {
    AnalysisRequest request = options.request;
    request.report = !options.reports.empty();
    request.averageDecks = options.averageDeck.has_value();
    request.suggestTypes = options.suggestTypes.has_value();
    if (request.periods) {
        PeriodAnalysis analysis(request);
        return runAnalysis(analysis, options, request);
    }
    FolderAnalysis analysis(request);
    return runAnalysis(analysis, options, request);
}

}  // namespace sormel
