// frmMain: start-up, and the choice of drive, folder and file mask. The
// file list follows the folder list and the mask; the current directory
// follows the folder list; the count label follows the file list.
#include <QComboBox>
#include <QLabel>

#include "engine/file_error.h"
#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"
#include "window/main_window.h"

namespace {

// The blocking pattern: it matches only a file named "@", which in
// practice leaves the file list empty.
const QString kBlockingPattern = QStringLiteral("@");

void changeCurrentDirectory(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::current_path(folder, error);
    if (error) {
        throw sormel::FileError("カレントフォルダーを変更できません。" + sormel::describeSystemError(error.value()) +
                                "\nフォルダー: " + sormel::displayPath(folder));
    }
}

}  // namespace

void frmMain::Form_Load() {
    // The mask box's first text, "*.txt", is always a usable pattern; only
    // an unreadable current directory can fail here.
    reportingErrors([this] { fleList->setPattern(cboMask->currentText()); });
    showListCount();
    cboMask->addItems({QStringLiteral("*.txt"), QStringLiteral("*.deck"), QStringLiteral("*.*")});
    cboMask->setCurrentIndex(-1);
    cboMask->setEditText(QStringLiteral("*.txt"));
    setUpGrid();
}

void frmMain::showListCount() { lblListCount->setText(QString::number(fleList->count())); }

void frmMain::openFolder(const std::filesystem::path& folder) {
    reportingErrors([&] { dirList->setPath(folder); });
}

// The folder list moves to the picked drive's root (and so runs
// dirList_Change); if the drive cannot be read, everything stays as it was.
void frmMain::drvList_Change() { openFolder(drvList->selectedDrive()); }

// Each step that fails shows its own message; the others still run.
void frmMain::dirList_Change() {
    reportingErrors([this] { fleList->setPath(dirList->path()); });
    reportingErrors([this] { changeCurrentDirectory(dirList->path()); });
    showListCount();
}

// A mask the file list cannot use blocks it; no message is ever shown.
void frmMain::cboMask_Change() {
    try {
        fleList->setPattern(cboMask->currentText());
    } catch (const sormel::PatternRejected&) {
        try {
            fleList->setPattern(kBlockingPattern);
        } catch (const std::exception&) {
            // The folder cannot be read: the list is empty either way.
        }
    } catch (const std::exception&) {
        // As above.
    }
    showListCount();
}

void frmMain::cboMask_Click() { cboMask_Change(); }
