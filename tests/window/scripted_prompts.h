// Answers the window's message boxes, save dialog and folder chooser in place of a user,
// and remembers what it was shown.
#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "window/user_prompts.h"

struct ShownMessage {
    QString text;
    QString title;
    sormel::MessageIcon icon;
};

struct SaveDialogRequest {
    QString folder;
    QString filters;
    QString proposedName;
};

class ScriptedPrompts : public sormel::UserPrompts {
public:
    void tell(QWidget*, const QString& text, const QString& title, sormel::MessageIcon icon) override {
        messages.push_back({text, title, icon});
    }
    bool askYesNo(QWidget*, const QString& text, const QString& title) override {
        messages.push_back({text, title, sormel::MessageIcon::Question});
        const bool yes = !yesNoAnswers.empty() && yesNoAnswers.front();
        if (!yesNoAnswers.empty()) yesNoAnswers.pop_front();
        return yes;
    }
    std::optional<QString> askSaveFileName(QWidget*, const QString& folder, const QString& filters,
                                           const QString& proposedName, QString* chosenFilter = nullptr) override {
        saveRequests.push_back({folder, filters, proposedName});
        if (chosenFilter != nullptr) {
            *chosenFilter = filters.split(QStringLiteral(";;")).front();
            if (!saveFilterAnswers.empty()) {
                *chosenFilter = saveFilterAnswers.front();
                saveFilterAnswers.pop_front();
            }
        }
        std::optional<QString> answer;
        if (!saveAnswers.empty()) {
            answer = saveAnswers.front();
            saveAnswers.pop_front();
        }
        return answer;
    }

    std::optional<QString> askFolder(QWidget*, const QString& title, const QString& start) override {
        folderRequests.push_back(title);
        folderStarts.push_back(start);
        std::optional<QString> answer;
        if (!folderAnswers.empty()) {
            answer = folderAnswers.front();
            folderAnswers.pop_front();
        }
        return answer;
    }

    std::optional<QString> askOpenFileName(QWidget*, const QString& title, const QString&, const QString&) override {
        openRequests.push_back(title);
        std::optional<QString> answer;
        if (!openAnswers.empty()) {
            answer = openAnswers.front();
            openAnswers.pop_front();
        }
        return answer;
    }

    std::vector<ShownMessage> messages;
    std::vector<SaveDialogRequest> saveRequests;
    std::deque<bool> yesNoAnswers;                   // none left: No
    std::deque<std::optional<QString>> saveAnswers;  // none left: cancel
    std::deque<QString> saveFilterAnswers;           // none left: the first filter
    QStringList folderRequests;                      // the choosers' titles
    QStringList folderStarts;                        // and the folders they opened in
    std::deque<std::optional<QString>> folderAnswers;  // none left: cancel
    QStringList openRequests;                        // the open dialogs' titles
    std::deque<std::optional<QString>> openAnswers;  // none left: cancel
};
