// Everything the window asks or tells the user in a modal box: messages,
// the yes/no question, the save-as and open dialogs and the folder chooser. The window goes through this
// interface so that tests can answer in place of a person.
#pragma once

#include <QString>
#include <exception>
#include <optional>
#include <string>

class QWidget;

namespace sormel {

enum class MessageIcon { Critical, Question, Information };

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message with an OK button; returns when the user closed it.
    virtual void tell(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) = 0;
    // A question with Yes and No, No being the default; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text, const QString& title) = 0;
    // A save-as dialog opened in `folder` with `filters` (entries separated
    // by ";;", the first one selected) proposing `proposedName`; it asks
    // before overwriting an existing file; picking a filter gives the name
    // that filter's extension. The chosen full path, or nothing when the
    // user cancelled; `chosenFilter`, when given, receives the filter the
    // user picked.
    virtual std::optional<QString> askSaveFileName(QWidget* parent, const QString& folder, const QString& filters,
                                                   const QString& proposedName, QString* chosenFilter = nullptr) = 0;
    // A folder chooser titled `title`, opened in `folder`. The chosen
    // folder, or nothing when the user cancelled.
    virtual std::optional<QString> askFolder(QWidget* parent, const QString& title, const QString& folder) = 0;
    // An open-file dialog titled `title`, opened at `start` (a folder or a
    // file), showing `filters`. The chosen file, or nothing when the user
    // cancelled.
    virtual std::optional<QString> askOpenFileName(QWidget* parent, const QString& title, const QString& start,
                                                   const QString& filters) = 0;
};

// An error message box showing `description`.
inline void showError(UserPrompts& prompts, QWidget* parent, const std::string& description) {
    prompts.tell(parent, QString::fromStdString(description), QStringLiteral("エラー"), MessageIcon::Critical);
}

// Runs `step`; a failure is shown as an error message and swallowed.
template <typename Step>
void reportingErrors(UserPrompts& prompts, QWidget* parent, Step step) {
    try {
        step();
    } catch (const std::exception& error) {
        showError(prompts, parent, error.what());
    }
}

}  // namespace sormel
