#include "window/window_run.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>
#include <initializer_list>

#include "engine/usage_table.h"
#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"
#include "window/folder_selection.h"
#include "window/main_window_ui.h"
#include "window/usage_grid.h"
#include "window/usage_table_model.h"
#include "window/user_prompts.h"

namespace sormel {

WindowRun::WindowRun(const MainWindowUi& ui, UsageTable& table, UsageTableModel& model, FolderSelection& selection,
                     UserPrompts& prompts, QWidget* window)
    : QObject(window),
      ui_(ui),
      table_(table),
      model_(model),
      selection_(selection),
      prompts_(prompts),
      window_(window) {}

void WindowRun::start() {
    if (state_ != RunState::Idle) return;
    if (!selection_.rereadFiles()) return;
    if (ui_.fleList->count() == 0) {
        prompts_.tell(window_, QStringLiteral("集計対象ファイルがありません。"), QStringLiteral("エラー"),
                      MessageIcon::Critical);
        return;
    }
    if (ui_.cmdSave->isEnabled() &&
        !prompts_.askYesNo(window_, QStringLiteral("結果をクリアして再集計します。\r\nよろしいですか？"),
                           QStringLiteral("確認"))) {
        return;
    }
    last_.reset();
    warnings_ = 0;
    auto analysis = std::make_unique<FolderAnalysis>(request(), table_);
    analysis->useFiles(ui_.fleList->files());
    lockControls();
    const AnalysisStatus result = analysis->run(*this);
    if (result.completed()) last_ = std::move(analysis);
    switch (result.outcome) {
        case AnalysisOutcome::Completed:
            unlockControls();
            emit runCompleted();
            prompts_.tell(window_,
                          warnings_ == 0 ? QStringLiteral("集計が完了しました。")
                                         : QStringLiteral("集計が完了しました。\r\n読み込みの注意が %1 件あります"
                                                          "（分析ウィンドウの「読み込みの注意」タブで確認できます）。")
                                               .arg(warnings_),
                          QStringLiteral("完了"), MessageIcon::Information);
            break;
        case AnalysisOutcome::Cancelled: unlockControls(); break;
        case AnalysisOutcome::Refused:
        case AnalysisOutcome::Failed:
            showFileBeingRead();
            showError(prompts_, window_, result.message);
            unlockControls();
            break;
    }
}

void WindowRun::cancel() {
    if (state_ != RunState::Running) return;
    state_ = RunState::Cancelling;
    ui_.cmdExit->setEnabled(false);
}

bool WindowRun::highSpeed() { return ui_.chkHiSp->isChecked(); }

void WindowRun::deckWarning(const std::filesystem::path&, std::size_t, const std::string&) { ++warnings_; }

AnalysisRequest WindowRun::request() const {
    AnalysisRequest request;
    request.folder = ui_.fleList->path();
    request.mask = ui_.cboMask->currentText().toStdString();
    request.includeSidePart = ui_.chkSide->isChecked();
    request.sortChoice = ui_.optSort[0]->isChecked() ? SortChoice::ByCopies : SortChoice::ByDecks;
    return request;
}

// Everything but the cancel button, and the high-speed box while it is
// unchecked, is locked; the grid stops repainting until the run shows it.
// It first shows the cleared table: a run in high-speed mode shows nothing
// else until its end, and a grid left on the last run's rows would show
// them blank.
void WindowRun::lockControls() {
    for (QWidget* control : std::initializer_list<QWidget*>{ui_.drvList, ui_.dirList, ui_.fleList, ui_.cboMask,
                                                            ui_.optSort[0], ui_.optSort[1], ui_.chkSide}) {
        control->setEnabled(false);
    }
    if (ui_.chkHiSp->isChecked()) ui_.chkHiSp->setEnabled(false);
    ui_.mfgList->setEnabled(false);
    table_.reset();
    model_.refresh();
    ui_.mfgList->repaint();
    ui_.mfgList->setUpdatesEnabled(false);
    ui_.cmdExec->setEnabled(false);
    ui_.cmdSave->setEnabled(false);
    ui_.cmdExit->setText(QStringLiteral("キャンセル(&C)"));
    state_ = RunState::Running;
}

void WindowRun::unlockControls() {
    state_ = RunState::Idle;
    ui_.cmdExit->setText(QStringLiteral("終了(&X)"));
    ui_.cmdExit->setEnabled(true);
    for (QWidget* control : std::initializer_list<QWidget*>{ui_.cmdSave, ui_.cmdExec, ui_.drvList, ui_.dirList,
                                                            ui_.fleList, ui_.cboMask, ui_.optSort[0], ui_.optSort[1],
                                                            ui_.chkSide, ui_.chkHiSp, ui_.mfgList}) {
        control->setEnabled(true);
    }
    // The start button lost the focus when it was locked; left elsewhere
    // (on 終了), the focus would make Enter after the message quit.
    ui_.cmdExec->setFocus();
    showFileBeingRead();
    fileBeingRead_.reset();
    model_.refresh();
    gridStale_ = false;
    ui_.mfgList->setUpdatesEnabled(true);
}

bool WindowRun::keepGoing(bool fileStart) {
    if (!pacer_.eventsDue()) {
        // Between two rounds a new file still gets what was posted to the
        // window's objects: a full round costs more than a small deck.
        if (fileStart) QCoreApplication::sendPostedEvents();
        return state_ == RunState::Running;
    }
    const bool repaint = pacer_.repaintDue();
    if (repaint) showFileBeingRead();
    // The grid shows the table as it is now, once, and then stops repainting again.
    const bool refreshGrid = repaint && gridStale_;
    if (refreshGrid) {
        ui_.mfgList->setUpdatesEnabled(true);
        model_.refresh();
        gridStale_ = false;
    }
    QCoreApplication::processEvents();
    if (refreshGrid) ui_.mfgList->setUpdatesEnabled(false);
    return state_ == RunState::Running;
}

// The file list highlights the file being read. Moving the selection costs
// more than reading a small deck, so it moves when the window is repainted
// and before anything is shown to the user.
void WindowRun::fileStarted(std::size_t index) {
    fileBeingRead_ = index;
    if (index == 0) showFileBeingRead();
    emit fileReadingStarted(static_cast<qsizetype>(index));
}

void WindowRun::showFileBeingRead() {
    if (fileBeingRead_) ui_.fleList->selectEntry(*fileBeingRead_);
}

void WindowRun::fileFinished(std::size_t, bool tableSorted) {
    if (tableSorted) gridStale_ = true;
}

void WindowRun::highSpeedEngaged() { ui_.chkHiSp->setEnabled(false); }

}  // namespace sormel
