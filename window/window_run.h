// The tally run as the window performs it: re-reads the file list, asks
// before clearing earlier results, locks the controls, lets the engine
// read the decks while the window keeps answering (so that cancel and the
// high-speed switch work during a run), and unlocks and reports at the end.
#pragma once

#include <QObject>
#include <cstddef>
#include <optional>

#include <memory>

#include "analysis/folder_analysis.h"
#include "window/run_pacer.h"

namespace sormel {

struct MainWindowUi;
class FolderSelection;
class UsageTable;
class UsageTableModel;
class UserPrompts;

// Idle between runs; Running while the run reads; Cancelling once the user
// asked it to stop, until it has wound down.
enum class RunState { Idle, Running, Cancelling };

class WindowRun : public QObject, private AnalysisHost {
    Q_OBJECT
public:
    WindowRun(const MainWindowUi& ui, UsageTable& table, UsageTableModel& model, FolderSelection& selection,
              UserPrompts& prompts, QWidget* window);

    RunState state() const { return state_; }
    // A whole run; returns when it has ended and the window is unlocked.
    void start();
    // Asks a running run to stop before its next line; the cancel button
    // takes no second click.
    void cancel();
    // What a run would read now: the window's folder and mask, side
    // switch and sort choice.
    AnalysisRequest request() const;
    // The last run, when it completed: its table is the window's, and it
    // makes the per-card report of it.
    const FolderAnalysis* lastAnalysis() const { return last_.get(); }

signals:
    // The run is about to read file `index` (0-based) of the file list.
    void fileReadingStarted(qsizetype index);
    // A run read every file of the list (before its message is shown).
    void runCompleted();

private:
    bool highSpeed() override;
    bool keepGoing(bool fileStart) override;
    void fileStarted(std::size_t index) override;
    void fileFinished(std::size_t index, bool tableSorted) override;
    void highSpeedEngaged() override;
    void deckWarning(const std::filesystem::path& file, std::size_t line, const std::string& message) override;

    void lockControls();
    void unlockControls();
    void showFileBeingRead();

    const MainWindowUi& ui_;
    UsageTable& table_;
    UsageTableModel& model_;
    FolderSelection& selection_;
    UserPrompts& prompts_;
    QWidget* window_;

    RunState state_ = RunState::Idle;
    bool gridStale_ = false;                    // the grid shows an older state of the table
    std::optional<std::size_t> fileBeingRead_;  // during a run
    RunPacer pacer_;
    std::size_t warnings_ = 0;  // of the run under way
    std::unique_ptr<FolderAnalysis> last_;
};

}  // namespace sormel
