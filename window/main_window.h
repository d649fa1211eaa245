// frmMain: the program's one window. The user picks a drive, a folder and
// a file mask, starts a tally of the listed deck files, sorts and saves
// the resulting usage table.
//
// The window drives the tally engine as its host: the engine reads the
// options live, and lets the window process its events while it reads, so
// that the cancel button and the high-speed check box work during a run.
#pragma once

#include <QWidget>
#include <array>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "window/run_pacer.h"
#include "engine/tally_run.h"
#include "engine/usage_table.h"
#include "window/user_prompts.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;

namespace sormel {

class DeckFileList;
class DriveList;
class FolderList;
class UsageTableModel;

}  // namespace sormel

class frmMain : public QWidget, private sormel::TallyHost {
    Q_OBJECT
public:
    // Opens on the process's current directory; every message and the
    // save-as dialog go through `prompts`.
    explicit frmMain(sormel::UserPrompts& prompts, QWidget* parent = nullptr);
    ~frmMain() override;

    // The usage table the grid shows.
    const sormel::UsageTable& table() const { return table_; }

    // The controls, by name; tests and tools drive them as a user would.
    QLabel* lblTarget;
    sormel::DriveList* drvList;
    sormel::FolderList* dirList;
    QLabel* lblListCount;
    QLabel* lblDeck;
    QComboBox* cboMask;
    sormel::DeckFileList* fleList;
    QPushButton* cmdExec;
    QPushButton* cmdExit;
    QPushButton* cmdSave;
    std::array<QRadioButton*, 2> optSort;  // 0 "枚数" (by copies), 1 "デッキ数" (by decks)
    QCheckBox* chkSide;
    QCheckBox* chkHiSp;
    QTableView* mfgList;

signals:
    // A run is about to read file `index` (0-based) of the file list.
    void fileReadingStarted(qsizetype index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void placeControls();
    void setUpGrid();
    void setUpTabOrder();
    void connectHandlers();
    void Form_Load();

    // Folder and file selection.
    void drvList_Change();
    void dirList_Change();
    void cboMask_Change();
    void cboMask_Click();
    void openFolder(const std::filesystem::path& folder);
    void showListCount();

    // Commands.
    void cmdExec_Click();
    void cmdSave_Click();
    void cmdExit_Click();
    void optSort_Click(int index);
    void keepTabStopOnSelectedOption();

    // Runs `step`; a failure is shown as an error message and swallowed.
    template <typename Step>
    void reportingErrors(Step step);
    void showError(const std::string& description);

    // The run's host.
    bool highSpeed() override;
    bool keepGoing(bool fileStart) override;
    void fileStarted(std::size_t index) override;
    void fileFinished(std::size_t index, bool tableSorted) override;
    void highSpeedEngaged() override;
    sormel::SortChoice sortChoice() const;
    void lockControls();
    void unlockControls();
    void showFileBeingRead();

    sormel::UserPrompts& prompts_;
    sormel::UsageTable table_;
    sormel::UsageTableModel* model_;

    bool blnRunning = false;                    // a run is in progress and not asked to stop
    bool runInProgress_ = false;                // a run is in progress, stopping or not
    bool closeAfterRun_ = false;                // the window was closed during the run
    bool gridStale_ = false;                    // the grid shows an older state of the table
    std::optional<std::size_t> fileBeingRead_;  // during a run
    sormel::RunPacer pacer_;
};

template <typename Step>
void frmMain::reportingErrors(Step step) {
    try {
        step();
    } catch (const std::exception& error) {
        showError(error.what());
    }
}
