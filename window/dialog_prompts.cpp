#include "window/dialog_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "window/save_dialog.h"

namespace sormel {
namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Messages separate their lines with CR LF; a label breaks lines at LF
// alone and would show the CR.
QString forDisplay(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

}  // namespace

void DialogPrompts::tell(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(boxIcon(icon), title, forDisplay(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool DialogPrompts::askYesNo(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, title, forDisplay(text), QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> DialogPrompts::askSaveFileName(QWidget* parent, const QString& folder, const QString& filters,
                                                      const QString& proposedName, QString* chosenFilter) {
    const std::unique_ptr<QFileDialog> dialog = makeSaveDialog(parent, folder, filters, proposedName);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
    if (chosenFilter != nullptr) *chosenFilter = dialog->selectedNameFilter();
    return dialog->selectedFiles().front();
}

std::optional<QString> DialogPrompts::askFolder(QWidget* parent, const QString& title, const QString& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, folder);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

std::optional<QString> DialogPrompts::askOpenFileName(QWidget* parent, const QString& title, const QString& start,
                                                      const QString& filters) {
    const QString chosen = QFileDialog::getOpenFileName(parent, title, start, filters);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

}  // namespace sormel
