#include "window/card_table_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>

#include "window/card_figures_model.h"

namespace sormel {
namespace {

// A tab or line break inside a cell would split it in the spreadsheet.
QString cellText(const QVariant& value) {
    QString text = value.toString();
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = QLatin1Char(' ');
    }
    return text;
}

}  // namespace

CardTableView::CardTableView(QWidget* parent) : QTableView(parent) {
    // The report's own order until the user sorts, with no indicator.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->hide();
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    horizontalHeader()->setSortIndicatorShown(true);
    connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this, &CardTableView::showColumnMenu);
}

QString CardTableView::selectedRowsAsText() const {
    const QAbstractItemModel* shown = model();
    if (!shown || !selectionModel()) return {};
    std::vector<int> columns;
    for (int visual = 0; visual < horizontalHeader()->count(); ++visual) {
        const int logical = horizontalHeader()->logicalIndex(visual);
        if (!isColumnHidden(logical)) columns.push_back(logical);
    }
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    QStringList cells;
    for (const int column : columns) cells << cellText(shown->headerData(column, Qt::Horizontal, Qt::DisplayRole));
    lines << cells.join(QLatin1Char('\t'));
    for (const int row : rows) {
        cells.clear();
        for (const int column : columns) cells << cellText(shown->index(row, column).data(Qt::DisplayRole));
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void CardTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        if (selectionModel() && selectionModel()->hasSelection()) {
            QApplication::clipboard()->setText(selectedRowsAsText());
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CardTableView::showColumnMenu(const QPoint& position) {
    if (!model()) return;
    QMenu menu(this);
    for (int column = 0; column < model()->columnCount(); ++column) {
        QAction* action = menu.addAction(model()->headerData(column, Qt::Horizontal).toString());
        action->setCheckable(true);
        action->setChecked(!isColumnHidden(column));
        connect(action, &QAction::toggled, this, [this, column](bool shown) { setColumnShown(column, shown); });
    }
    menu.exec(horizontalHeader()->viewport()->mapToGlobal(position));
}

void CardTableView::setColumnShown(int column, bool shown) {
    if (shown) {
        hiddenKeys_.remove(columnKey(column));
    } else {
        hiddenKeys_.insert(columnKey(column));
    }
    setColumnHidden(column, !shown);
}

void CardTableView::setModel(QAbstractItemModel* newModel) {
    for (const QMetaObject::Connection& watch : modelWatches_) disconnect(watch);
    modelWatches_.clear();
    QTableView::setModel(newModel);
    if (!newModel) return;
    modelWatches_ = {
        connect(newModel, &QAbstractItemModel::modelReset, this, &CardTableView::hideChosenColumns),
        connect(newModel, &QAbstractItemModel::headerDataChanged, this, &CardTableView::hideChosenColumns)};
    hideChosenColumns();
}

// A column without a key of its own is known by its title.
QString CardTableView::columnKey(int column) const {
    const QVariant key = model()->headerData(column, Qt::Horizontal, CardFiguresModel::kColumnKeyRole);
    return key.isValid() ? key.toString() : model()->headerData(column, Qt::Horizontal).toString();
}

void CardTableView::hideChosenColumns() {
    if (!model()) return;
    for (int column = 0; column < model()->columnCount(); ++column) {
        setColumnHidden(column, hiddenKeys_.contains(columnKey(column)));
    }
}

}  // namespace sormel
