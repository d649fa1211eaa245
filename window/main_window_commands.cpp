// frmMain: the save, exit and sort commands.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableView>

#include "export/atomic_file.h"
#include "export/csv_writer.h"
#include "window/main_window.h"
#include "window/usage_table_model.h"

void frmMain::showError(const std::string& description) {
    prompts_.tell(this, QString::fromStdString(description), QStringLiteral("エラー"), sormel::MessageIcon::Critical);
}

// Saves the table in the grid's order. Cancelling the dialog ends quietly;
// the file is replaced only once the new content is completely written.
void frmMain::cmdSave_Click() {
    const std::optional<QString> chosen = prompts_.askSaveFileName(
        this, QDir::currentPath(), QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*.*)"),
        QStringLiteral("集計結果.csv"));
    if (!chosen) return;
    try {
        const std::filesystem::path target(QFile::encodeName(*chosen).toStdString());
        sormel::writeFileAtomically(target, sormel::formatCsv(table_, sormel::CsvEncoding::Cp932));
    } catch (const std::exception& error) {
        showError(error.what());
        return;
    }
    prompts_.tell(this, QStringLiteral("保存が完了しました。"), QStringLiteral("完了"),
                  sormel::MessageIcon::Information);
}

// During a run: asks the run to stop, and takes no second click. Otherwise
// closes the window, which ends the program.
void frmMain::cmdExit_Click() {
    if (blnRunning) {
        blnRunning = false;
        cmdExit->setEnabled(false);
        return;
    }
    close();
}

// Sorts the table by the chosen order at once.
void frmMain::optSort_Click(int index) {
    const sormel::SortChoice choice = index == 0 ? sormel::SortChoice::ByCopies : sormel::SortChoice::ByDecks;
    reportingErrors([&] { table_.resort(choice); });
    model_->refresh();
}
