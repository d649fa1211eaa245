#include "window/save_flow.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <exception>
#include <filesystem>
#include <optional>

#include "export/atomic_file.h"
#include "window/save_target.h"
#include "window/user_prompts.h"

namespace sormel {

QString withFilterExtension(const QString& chosen, const QString& filter) {
    if (chosen.isEmpty() || chosen.endsWith('/') || !QFileInfo(chosen).suffix().isEmpty()) return chosen;
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)\\)?"));
    const QRegularExpressionMatch found = pattern.match(filter);
    return found.hasMatch() ? chosen + '.' + found.captured(1) : chosen;
}

bool saveWithDialog(UserPrompts& prompts, QWidget* parent, const QString& filters, const QString& proposedName,
                    const std::function<std::string(const QString& chosenFilter)>& contents,
                    const std::function<QString()>& completion) {
    QString filter;
    const std::optional<QString> chosen =
        prompts.askSaveFileName(parent, QDir::currentPath(), filters, proposedName, &filter);
    if (!chosen) return false;
    // The dialog asked before replacing the name as typed, not the one the
    // extension makes.
    const QString named = withFilterExtension(*chosen, filter);
    if (named != *chosen && QFileInfo::exists(named) &&
        !prompts.askYesNo(parent,
                          QStringLiteral("%1 は既に存在します。\r\n上書きしますか？").arg(QDir::toNativeSeparators(named)),
                          QStringLiteral("確認"))) {
        return false;
    }
    try {
        // The name is checked before the contents are made, which may take a while.
        const std::filesystem::path target = saveTargetPath(named);
        writeFileAtomically(target, contents(filter));
    } catch (const std::exception& error) {
        showError(prompts, parent, error.what());
        return false;
    }
    prompts.tell(parent, completion ? completion() : QStringLiteral("保存が完了しました。"), QStringLiteral("完了"),
                 MessageIcon::Information);
    return true;
}

}  // namespace sormel
