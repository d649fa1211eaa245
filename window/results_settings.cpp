#include "window/results_settings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

#include "analysis/result_figures.h"

namespace sormel {

ResultsSettingsRow::ResultsSettingsRow(QWidget* parent)
    : QWidget(parent), file_(new QLineEdit(this)), top_(new QSpinBox(this)), topPause_(new QTimer(this)) {
    file_->setObjectName(QStringLiteral("txtResults"));
    file_->setPlaceholderText(QStringLiteral("成績ファイル（CSV）のパス。空なら成績なし"));
    file_->setClearButtonEnabled(true);
    top_->setObjectName(QStringLiteral("spnTop"));
    top_->setRange(1, kMaxTop);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("成績:"), this));
    layout->addWidget(file_, 1);
    layout->addWidget(new QLabel(QStringLiteral("上位:"), this));
    layout->addWidget(top_);
    layout->addWidget(new QLabel(QStringLiteral("位まで"), this));

    topPause_->setSingleShot(true);
    topPause_->setInterval(400);
    connect(top_, &QSpinBox::valueChanged, topPause_, qOverload<>(&QTimer::start));
    connect(topPause_, &QTimer::timeout, this, &ResultsSettingsRow::changed);
    connect(top_, &QSpinBox::editingFinished, this, [this] {
        if (!topPause_->isActive()) return;
        topPause_->stop();
        emit changed();
    });
    connect(file_, &QLineEdit::editingFinished, this, [this] {
        if (file_->isModified()) {
            file_->setModified(false);
            emit changed();
        }
    });
}

void ResultsSettingsRow::show(const AnalysisSettings& settings) {
    const QSignalBlocker quiet1(file_), quiet2(top_);
    file_->setText(settings.results);
    file_->setModified(false);
    top_->setValue(settings.top);
}

void ResultsSettingsRow::applyTo(AnalysisSettings& settings) const {
    settings.results = file_->text().trimmed();
    settings.top = top_->value();
}

}  // namespace sormel
