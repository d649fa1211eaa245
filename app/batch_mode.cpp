#include "app/batch_mode.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/terminal.h"
#include "export/atomic_file.h"
#include "engine/deck_file.h"
#include "engine/deck_listing.h"
#include "engine/deck_observer.h"
#include "engine/system_file.h"
#include "engine/tally_run.h"

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
        std::cerr << displayPath(files_[index]) << ':' << line << ": " << text << '\n';
    }

private:
    const std::vector<std::filesystem::path>& files_;
};

bool writeToStandardOutput(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

// True when saving to `output` would replace one of `decks` (all of them
// in `folder`): the same name, or the same file reached through a link, a
// hard link or another mount of the folder.
bool isOneOfTheDecks(const std::filesystem::path& output, const std::filesystem::path& folder,
                     const std::vector<std::filesystem::path>& decks) {
    std::error_code ignored;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(output, ignored);
    if (resolved.parent_path() == std::filesystem::weakly_canonical(folder, ignored)) {
        for (const std::filesystem::path& deck : decks) {
            if (deck.filename() == resolved.filename()) return true;
        }
    }
    const std::optional<FileIdentity> target = fileIdentity(output);
    if (!target) return false;
    for (const std::filesystem::path& deck : decks) {
        if (fileIdentity(deck) == target) return true;
    }
    return false;
}

}  // namespace

int runBatch(const BatchOptions& options) {
    const std::optional<FileMask> mask = FileMask::parse(options.mask);
    if (!mask) {
        std::cerr << "ファイルマスクが正しくありません（パス区切りや制御文字は使えません）: " << options.mask << '\n';
        return kExitUsage;
    }
    std::vector<std::filesystem::path> files;
    try {
        files = listDeckFiles(options.folder, *mask);
    } catch (const FileError& error) {
        std::cerr << error.what() << '\n';
        return kExitFailure;
    }
    if (files.empty()) {
        std::cerr << "集計対象ファイルがありません。\n";
        return kExitFailure;
    }

    if (options.output && isOneOfTheDecks(*options.output, options.folder, files)) {
        std::cerr << "出力先のファイルは集計するデッキファイルの一つです。デッキを上書きしないよう、別のファイルを"
                     "指定してください。\nファイル: "
                  << displayPath(*options.output) << '\n';
        return kExitUsage;
    }

    UsageTable table;
    TallyResult result;
    {
        BatchProgress progress(files.size());
        SkippedLinePrinter skipped(files);
        TallyOptions tally;
        tally.includeSidePart = options.includeSidePart;
        tally.sortChoice = options.sortChoice;
        tally.format = options.format;
        tally.mergeByName = options.mergeByName;
        // For measurements: how many threads read ahead of the tally.
        tally.readThreads = readThreadsFromSetting(std::getenv("SORMEL_READ_THREADS"));
        if (options.showSkipped) tally.observer = &skipped;
        result = runTally(table, files, tally, progress);
    }
    if (result.outcome != TallyOutcome::Completed) {
        std::cerr << result.message << '\n';
        return kExitFailure;
    }
    try {
        const std::string csv = formatCsv(table, options.encoding);
        if (options.output) {
            writeFileAtomically(*options.output, csv);
        } else if (!writeToStandardOutput(csv)) {
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
