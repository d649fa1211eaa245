#include "window/folder_selection.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "engine/file_error.h"
#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"
#include "window/main_window_ui.h"
#include "window/user_prompts.h"

namespace sormel {
namespace {

// The blocking pattern: it matches only a file named "@", which in
// practice leaves the file list empty.
const QString kBlockingPattern = QStringLiteral("@");

void changeCurrentDirectory(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::current_path(folder, error);
    if (error) {
        throw FileError("カレントフォルダーを変更できません。" + describeSystemError(error.value()) +
                        "\nフォルダー: " + displayPath(folder));
    }
}

}  // namespace

FolderSelection::FolderSelection(const MainWindowUi& ui, UserPrompts& prompts, QWidget* window)
    : QObject(window), ui_(ui), prompts_(prompts), window_(window) {}

// The lists open on the current directory. If it cannot be read, all three
// follow the folder the folder list opens instead, and so does the current
// directory, where the save dialog opens.
void FolderSelection::startUp() {
    const std::optional<std::string> problem = ui_.dirList->openStartFolder();
    if (problem) showError(prompts_, window_, *problem);
    ui_.drvList->showDriveOf(ui_.dirList->path());
    ui_.fleList->setPath(ui_.dirList->path());
    if (problem) reportingErrors(prompts_, window_, [this] { changeCurrentDirectory(ui_.dirList->path()); });
    // The mask box's first text, "*.txt", is always a usable pattern; only
    // an unreadable folder can fail here.
    reportingErrors(prompts_, window_, [this] { ui_.fleList->setPattern(ui_.cboMask->currentText()); });
    showListCount();
    ui_.cboMask->addItems({QStringLiteral("*.txt"), QStringLiteral("*.deck"), QStringLiteral("*.*"),
                           QStringLiteral("*.dek"), QStringLiteral("*.ydk"), QStringLiteral("*.cod"),
                           QStringLiteral("*.o8d"), QStringLiteral("*.dck"), QStringLiteral("*.csv")});
    ui_.cboMask->setCurrentIndex(-1);
    ui_.cboMask->setEditText(QStringLiteral("*.txt"));

    connect(ui_.drvList, &DriveList::driveChanged, this, &FolderSelection::changeDrive);
    connect(ui_.dirList, &FolderList::pathChanged, this, &FolderSelection::followFolder);
    connect(ui_.dirList, &FolderList::openRequested, this, &FolderSelection::openFolder);
    connect(ui_.cboMask->lineEdit(), &QLineEdit::textEdited, this, &FolderSelection::applyMask);
    connect(ui_.cboMask, &QComboBox::activated, this, &FolderSelection::applyMask);
}

bool FolderSelection::rereadFiles() {
    try {
        ui_.fleList->reread();
    } catch (const std::exception& error) {
        showListCount();
        showError(prompts_, window_, error.what());
        return false;
    }
    showListCount();
    return true;
}

void FolderSelection::showListCount() { ui_.lblListCount->setText(QString::number(ui_.fleList->count())); }

// The drive box follows a folder opened on another volume.
bool FolderSelection::openFolder(const std::filesystem::path& folder) {
    try {
        ui_.dirList->setPath(folder);
    } catch (const std::exception& error) {
        showError(prompts_, window_, error.what());
        return false;
    }
    ui_.drvList->showDriveOf(ui_.dirList->path());
    return true;
}

// The folder list moves to the picked drive's root (and so the file list
// follows); if the drive cannot be read, everything stays as it was.
void FolderSelection::changeDrive() { openFolder(ui_.drvList->selectedDrive()); }

// Each step that fails shows its own message; the others still run.
void FolderSelection::followFolder() {
    reportingErrors(prompts_, window_, [this] { ui_.fleList->setPath(ui_.dirList->path()); });
    reportingErrors(prompts_, window_, [this] { changeCurrentDirectory(ui_.dirList->path()); });
    showListCount();
}

// A mask the file list cannot use blocks it; no message is ever shown.
void FolderSelection::applyMask() {
    try {
        ui_.fleList->setPattern(ui_.cboMask->currentText());
    } catch (const PatternRejected&) {
        try {
            ui_.fleList->setPattern(kBlockingPattern);
        } catch (const std::exception&) {
            // The folder cannot be read: the list is empty either way.
        }
    } catch (const std::exception&) {
        // As above.
    }
    showListCount();
}

}  // namespace sormel
