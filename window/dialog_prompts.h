// The real message boxes, save-as dialog and folder chooser.
#pragma once

#include "window/user_prompts.h"

namespace sormel {

class DialogPrompts : public UserPrompts {
public:
    void tell(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) override;
    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override;
    std::optional<QString> askSaveFileName(QWidget* parent, const QString& folder, const QString& filters,
                                           const QString& proposedName, QString* chosenFilter) override;
    std::optional<QString> askFolder(QWidget* parent, const QString& title, const QString& folder) override;
    std::optional<QString> askOpenFileName(QWidget* parent, const QString& title, const QString& start,
                                           const QString& filters) override;
};

}  // namespace sormel
