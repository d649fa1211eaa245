// The real message boxes and save-as dialog.
#pragma once

#include "window/user_prompts.h"

namespace sormel {

class DialogPrompts : public UserPrompts {
public:
    void tell(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) override;
    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override;
    std::optional<QString> askSaveFileName(QWidget* parent, const QString& folder, const QString& filters,
                                           const QString& proposedName, QString* chosenFilter) override;
};

}  // namespace sormel
