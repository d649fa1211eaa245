#include "window/card_page.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>

#include "window/app_settings.h"
#include "window/card_figures_model.h"
#include "window/card_filter_model.h"
#include "window/card_table_view.h"

namespace sormel {

CardPage::CardPage(QWidget* parent)
    : QWidget(parent),
      filter_(new QLineEdit(this)),
      count_(new QLabel(this)),
      threshold_(new QDoubleSpinBox(this)),
      cards_(new CardFiguresModel(this)),
      shown_(new CardFilterModel(*cards_, this)),
      table_(new CardTableView(this)) {
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setPlaceholderText(QStringLiteral("No. またはカード名称で絞り込み"));
    filter_->setClearButtonEnabled(true);
    count_->setObjectName(QStringLiteral("lblCardCount"));
    threshold_->setObjectName(QStringLiteral("spnChangeThreshold"));
    threshold_->setRange(0, 100);
    threshold_->setDecimals(2);
    threshold_->setSingleStep(0.5);
    threshold_->setSuffix(QStringLiteral(" pt"));
    threshold_->setToolTip(QStringLiteral("前回との比較で、採用率がこれ以上変わったカードだけを色分けします"));
    threshold_->setValue(AppSettings().value(QStringLiteral("analysis/changeThreshold"), 1.0).toDouble());
    cards_->setChangeThreshold(std::llround(threshold_->value() * 100));
    table_->setObjectName(QStringLiteral("cardTable"));
    table_->setModel(shown_);

    auto* filterLabel = new QLabel(QStringLiteral("絞り込み(&F):"), this);
    filterLabel->setBuddy(filter_);
    auto* thresholdLabel = new QLabel(QStringLiteral("色分けする増減(&H):"), this);
    thresholdLabel->setBuddy(threshold_);
    auto* controls = new QHBoxLayout;
    controls->addWidget(filterLabel);
    controls->addWidget(filter_, 1);
    controls->addWidget(count_);
    controls->addSpacing(16);
    controls->addWidget(thresholdLabel);
    controls->addWidget(threshold_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(table_, 1);

    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        shown_->setFilterText(text);
        showCount();
    });
    connect(threshold_, &QDoubleSpinBox::valueChanged, this, [this](double points) {
        cards_->setChangeThreshold(std::llround(points * 100));
        AppSettings().setValue(QStringLiteral("analysis/changeThreshold"), points);
    });
    showCount();
}

void CardPage::setReport(std::shared_ptr<const CardReport> report, bool compared) {
    cards_->setReport(std::move(report), compared);
    threshold_->setEnabled(compared);
    showCount();
}

void CardPage::showCount() {
    count_->setText(QStringLiteral("%1 / %2 件").arg(shown_->rowCount()).arg(cards_->rowCount()));
}

}  // namespace sormel
