// The analysis window's settings for deck results: the results file (a
// path typed or pasted; empty for none) and the last place of the top cut.
#pragma once

#include <QWidget>

#include "window/analysis_settings.h"

class QLineEdit;
class QSpinBox;
class QTimer;

namespace sormel {

class ResultsSettingsRow : public QWidget {
    Q_OBJECT
public:
    explicit ResultsSettingsRow(QWidget* parent = nullptr);

    // Shows the results settings of `settings`, quietly.
    void show(const AnalysisSettings& settings);
    // Puts what the row shows into `settings`.
    void applyTo(AnalysisSettings& settings) const;

signals:
    // The user changed the file or the top cut.
    void changed();

private:
    QLineEdit* file_;
    QSpinBox* top_;
    QTimer* topPause_;  // steps of the spin box make one change
};

}  // namespace sormel
