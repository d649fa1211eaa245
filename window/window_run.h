// The tally run as the window performs it: re-reads the file list, asks
// before clearing earlier results, locks the controls, lets the engine
// read the decks while the window keeps answering (so that cancel and the
// high-speed switch work during a run), and unlocks and reports at the end.
#pragma once

#include <QObject>
#include <cstddef>
#include <optional>

#include <memory>

#include "analysis/run_figures.h"
#include "engine/tally_run.h"
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

class WindowRun : public QObject, private TallyHost {
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
    // The per-card figures gathered by the last run, when it completed.
    const RunFigures* lastFigures() const { return figures_.get(); }

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

    SortChoice sortChoice() const;
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
    // What the last run gathered beside the table (for the report files),
    // and the files it read.
    TypedDeckFiles listing_;
    std::unique_ptr<RunFigures> figures_;
};

}  // namespace sormel
