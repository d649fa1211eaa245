#include "window/type_page.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/numeric_text.h"
#include "window/card_figures_model.h"
#include "window/card_filter_model.h"
#include "window/card_table_view.h"

namespace sormel {
namespace {

QTableWidgetItem* numberItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

TypePage::TypePage(QWidget* parent)
    : QWidget(parent), types_(new QTableWidget(0, 3, this)), cards_(new CardFiguresModel(this)),
      table_(new CardTableView(this)) {
    types_->setObjectName(QStringLiteral("typeList"));
    table_->setObjectName(QStringLiteral("typeCards"));
    types_->setHorizontalHeaderLabels({QStringLiteral("デッキタイプ"), QStringLiteral("デッキ"), QStringLiteral("比率(%)")});
    types_->setSelectionBehavior(QAbstractItemView::SelectRows);
    types_->setSelectionMode(QAbstractItemView::SingleSelection);
    types_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    types_->verticalHeader()->hide();
    types_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->setModel(new CardFilterModel(*cards_, table_));

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(types_);
    splitter->addWidget(table_);
    splitter->setStretchFactor(1, 3);
    auto* hint = new QLabel(QStringLiteral("サブフォルダーをデッキタイプにすると、フォルダーごとの集計を表示します。"), this);
    hint->setObjectName(QStringLiteral("typeHint"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(splitter, 1);
    connect(types_, &QTableWidget::itemSelectionChanged, this, &TypePage::showSelectedType);
}

void TypePage::setData(std::shared_ptr<const ReportData> report) {
    data_ = std::move(report);
    const QSignalBlocker quiet(types_);
    types_->clearContents();
    const std::size_t count = data_ ? data_->types.size() : 0;
    types_->setRowCount(static_cast<int>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const TypeReport& type = data_->types[i];
        const int row = static_cast<int>(i);
        types_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(type.name)));
        types_->setItem(row, 1, numberItem(QString::number(type.decks)));
        types_->setItem(row, 2, numberItem(QString::fromStdString(hundredthsText(type.share))));
    }
    findChild<QLabel*>(QStringLiteral("typeHint"))->setVisible(count == 0);
    if (count > 0) types_->selectRow(0);
    showSelectedType();
}

void TypePage::showSelectedType() {
    const int row = types_->currentRow();
    if (!data_ || row < 0 || static_cast<std::size_t>(row) >= data_->types.size()) {
        cards_->setReport(nullptr, false);
        return;
    }
    const TypeReport& type = data_->types[static_cast<std::size_t>(row)];
    cards_->setReport(std::shared_ptr<const CardReport>(data_, &type.report), data_->baseline.has_value());
    table_->setColumnWidth(CardFiguresModel::kNameColumn, 200);
}

}  // namespace sormel
