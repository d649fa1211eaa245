#include "window/type_source_box.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "window/user_prompts.h"

namespace sormel {

TypeSourceBox::TypeSourceBox(UserPrompts& prompts, QWidget* parent)
    : QWidget(parent),
      prompts_(prompts),
      source_(new QComboBox(this)),
      choose_(new QPushButton(QStringLiteral("ルールファイル…"), this)),
      file_(new QLabel(this)) {
    source_->setObjectName(QStringLiteral("cmbTypeSource"));
    choose_->setObjectName(QStringLiteral("cmdRulesFile"));
    file_->setObjectName(QStringLiteral("lblRulesFile"));
    // In the order of TypeSource.
    source_->addItems({QStringLiteral("なし"), QStringLiteral("サブフォルダー"), QStringLiteral("ルールファイル")});
    source_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    file_->setTextFormat(Qt::PlainText);
    // A long name must not widen the window; the tooltip shows the path whole.
    file_->setMaximumWidth(240);

    auto* label = new QLabel(QStringLiteral("デッキタイプ(&T):"), this);
    label->setBuddy(source_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(source_);
    layout->addWidget(choose_);
    layout->addWidget(file_);
    connect(source_, &QComboBox::activated, this, &TypeSourceBox::sourcePicked);
    connect(choose_, &QPushButton::clicked, this, &TypeSourceBox::chooseRulesFile);
    showFile();
}

void TypeSourceBox::show(const AnalysisSettings& settings) {
    shownSource_ = settings.typeSource;
    rulesFile_ = settings.rulesFile;
    source_->setCurrentIndex(static_cast<int>(shownSource_));
    showFile();
}

void TypeSourceBox::applyTo(AnalysisSettings& settings) const {
    settings.typeSource = shownSource_;
    settings.rulesFile = rulesFile_;
}

void TypeSourceBox::sourcePicked(int index) {
    const auto picked = static_cast<TypeSource>(index);
    if (picked == shownSource_) return;
    if (picked == TypeSource::Rules && rulesFile_.isEmpty()) {
        // Rules need a file; without one the source stays as it was.
        source_->setCurrentIndex(static_cast<int>(shownSource_));
        chooseRulesFile();
        return;
    }
    shownSource_ = picked;
    showFile();
    emit changed();
}

void TypeSourceBox::chooseRulesFile() {
    const QString start = rulesFile_.isEmpty() ? QDir::currentPath() : rulesFile_;
    const std::optional<QString> chosen = prompts_.askOpenFileName(
        this, QStringLiteral("デッキタイプのルールファイル"), start,
        QStringLiteral("デッキタイプのルール (*.toml);;すべてのファイル (*)"));
    if (chosen) useRulesFile(*chosen);
}

void TypeSourceBox::useRulesFile(const QString& file) {
    rulesFile_ = file;
    shownSource_ = TypeSource::Rules;
    source_->setCurrentIndex(static_cast<int>(shownSource_));
    showFile();
    emit changed();
}

void TypeSourceBox::showFile() {
    const bool rules = shownSource_ == TypeSource::Rules;
    file_->setVisible(rules);
    const QString name = QFileInfo(rulesFile_).fileName();
    file_->setText(rules ? file_->fontMetrics().elidedText(name, Qt::ElideMiddle, file_->maximumWidth()) : QString());
    file_->setToolTip(rules ? QDir::toNativeSeparators(rulesFile_) : QString());
}

}  // namespace sormel
