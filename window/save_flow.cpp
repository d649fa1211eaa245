#include "window/save_flow.h"

#include <QDir>
#include <exception>
#include <filesystem>
#include <optional>

#include "export/atomic_file.h"
#include "window/save_target.h"
#include "window/user_prompts.h"

namespace sormel {

bool saveWithDialog(UserPrompts& prompts, QWidget* parent, const QString& filters, const QString& proposedName,
                    const std::function<std::string(const QString& chosenFilter)>& contents,
                    const std::function<QString()>& completion) {
    QString filter;
    const std::optional<QString> chosen =
        prompts.askSaveFileName(parent, QDir::currentPath(), filters, proposedName, &filter);
    if (!chosen) return false;
    try {
        // The name is checked before the contents are made, which may take a while.
        const std::filesystem::path target = saveTargetPath(*chosen);
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
