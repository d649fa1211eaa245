// frmMain: the tally run, with the window as the engine's host.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <initializer_list>

#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"
#include "window/main_window.h"
#include "window/usage_table_model.h"

void frmMain::cmdExec_Click() {
    if (runInProgress_) return;
    try {
        fleList->reread();
    } catch (const std::exception& error) {
        showListCount();
        showError(error.what());
        return;
    }
    showListCount();
    if (fleList->count() == 0) {
        prompts_.tell(this, QStringLiteral("集計対象ファイルがありません。"), QStringLiteral("エラー"),
                      sormel::MessageIcon::Critical);
        return;
    }
    if (cmdSave->isEnabled() &&
        !prompts_.askYesNo(this, QStringLiteral("結果をクリアして再集計します。\r\nよろしいですか？"),
                           QStringLiteral("確認"))) {
        return;
    }
    runInProgress_ = true;
    const sormel::TallyOptions options{chkSide->isChecked(), sortChoice()};
    lockControls();
    const sormel::TallyResult result = sormel::runTally(table_, fleList->files(), options, *this);
    switch (result.outcome) {
        case sormel::TallyOutcome::Completed:
            unlockControls();
            prompts_.tell(this, QStringLiteral("集計が完了しました。"), QStringLiteral("完了"),
                          sormel::MessageIcon::Information);
            break;
        case sormel::TallyOutcome::Cancelled:
            unlockControls();
            break;
        case sormel::TallyOutcome::Failed:
            showFileBeingRead();
            showError(result.message);
            unlockControls();
            break;
    }
    runInProgress_ = false;
    if (closeAfterRun_) close();
}

bool frmMain::highSpeed() { return chkHiSp->isChecked(); }

sormel::SortChoice frmMain::sortChoice() const {
    return optSort[0]->isChecked() ? sormel::SortChoice::ByCopies : sormel::SortChoice::ByDecks;
}

// Everything but the cancel button, and the high-speed box while it is
// unchecked, is locked; the grid stops repainting until the run shows it.
void frmMain::lockControls() {
    for (QWidget* control :
         std::initializer_list<QWidget*>{drvList, dirList, fleList, cboMask, optSort[0], optSort[1], chkSide}) {
        control->setEnabled(false);
    }
    if (chkHiSp->isChecked()) chkHiSp->setEnabled(false);
    mfgList->setEnabled(false);
    mfgList->setUpdatesEnabled(false);
    cmdExec->setEnabled(false);
    cmdSave->setEnabled(false);
    cmdExit->setText(QStringLiteral("キャンセル(&C)"));
    blnRunning = true;
}

void frmMain::unlockControls() {
    blnRunning = false;
    cmdExit->setText(QStringLiteral("終了(&X)"));
    cmdExit->setEnabled(true);
    for (QWidget* control : std::initializer_list<QWidget*>{cmdSave, cmdExec, drvList, dirList, fleList, cboMask,
                                                            optSort[0], optSort[1], chkSide, chkHiSp, mfgList}) {
        control->setEnabled(true);
    }
    showFileBeingRead();
    fileBeingRead_.reset();
    model_->refresh();
    gridStale_ = false;
    mfgList->setUpdatesEnabled(true);
}

bool frmMain::keepGoing(bool fileStart) {
    if (!pacer_.eventsDue()) {
        // Between two rounds a new file still gets what was posted to the
        // window's objects: a full round costs more than a small deck.
        if (fileStart) QCoreApplication::sendPostedEvents();
        return blnRunning;
    }
    const bool repaint = pacer_.repaintDue();
    if (repaint) showFileBeingRead();
    // The grid shows the table as it is now, once, and then stops repainting again.
    const bool refreshGrid = repaint && gridStale_;
    if (refreshGrid) {
        mfgList->setUpdatesEnabled(true);
        model_->refresh();
        gridStale_ = false;
    }
    QCoreApplication::processEvents();
    if (refreshGrid) mfgList->setUpdatesEnabled(false);
    return blnRunning;
}

// The file list highlights the file being read. Moving the selection costs
// more than reading a small deck, so it moves when the window is repainted
// and before anything is shown to the user.
void frmMain::fileStarted(std::size_t index) {
    fileBeingRead_ = index;
    if (index == 0) showFileBeingRead();
    emit fileReadingStarted(static_cast<qsizetype>(index));
}

void frmMain::showFileBeingRead() {
    if (fileBeingRead_) fleList->selectEntry(*fileBeingRead_);
}

void frmMain::fileFinished(std::size_t, bool tableSorted) {
    if (tableSorted) gridStale_ = true;
}

void frmMain::highSpeedEngaged() { chkHiSp->setEnabled(false); }
