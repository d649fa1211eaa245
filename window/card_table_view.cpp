#include "window/card_table_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>

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
        connect(action, &QAction::toggled, this, [this, column](bool shown) { setColumnHidden(column, !shown); });
    }
    menu.exec(horizontalHeader()->viewport()->mapToGlobal(position));
}

}  // namespace sormel
