// The analysis window's choice of where deck types come from: none, the
// folder's sub-folders, or a rules file (picked with an open dialog; the
// last file is remembered, also while another source is chosen).
#pragma once

#include <QWidget>

#include "window/analysis_settings.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace sormel {

class UserPrompts;

class TypeSourceBox : public QWidget {
    Q_OBJECT
public:
    TypeSourceBox(UserPrompts& prompts, QWidget* parent = nullptr);

    // Shows the source and rules file of `settings`.
    void show(const AnalysisSettings& settings);
    // Puts the source and rules file on show into `settings`.
    void applyTo(AnalysisSettings& settings) const;
    // Asks for a rules file and, when one is chosen, types by it.
    void chooseRulesFile();
    // Types by `file` (a rules file) from now on.
    void useRulesFile(const QString& file);

signals:
    // The user chose another source or rules file.
    void changed();

private:
    void sourcePicked(int index);
    void showFile();

    UserPrompts& prompts_;
    QComboBox* source_;
    QPushButton* choose_;
    QLabel* file_;
    TypeSource shownSource_ = TypeSource::None;
    QString rulesFile_;
};

}  // namespace sormel
