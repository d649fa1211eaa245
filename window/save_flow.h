// The one route of every save the window offers: ask where, make the
// bytes, put them in place whole, and say how it went.
#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace sormel {

class UserPrompts;

// Asks for a file with the save dialog (`filters` as askSaveFileName takes
// them, proposing `proposedName`), makes its contents with `contents`
// (given the filter the user picked), writes them atomically, and says
// 保存が完了しました (or what `completion`, when given, says once the file
// is saved). A failure of any step is shown as an error message. True when
// the file was saved; false when it was not (or the user cancelled).
// `chosen` with the extension of `filter` ("PNG画像 (*.png)") added when
// its name has none, as the platforms' own dialogs do; as it is for a
// filter of every file.
QString withFilterExtension(const QString& chosen, const QString& filter);

bool saveWithDialog(UserPrompts& prompts, QWidget* parent, const QString& filters, const QString& proposedName,
                    const std::function<std::string(const QString& chosenFilter)>& contents,
                    const std::function<QString()>& completion = {});

}  // namespace sormel
