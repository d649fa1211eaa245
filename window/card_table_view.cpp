#include "window/card_table_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>

#include "window/app_settings.h"
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

    frozen_ = new QTableView(this);
    frozen_->setObjectName(QStringLiteral("frozenColumns"));
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->setWordWrap(false);
    frozen_->setSelectionBehavior(QAbstractItemView::SelectRows);
    frozen_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollMode(verticalScrollMode());
    frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->setStyleSheet(QStringLiteral("QTableView { border: none; border-right: 1px solid palette(mid); }"));
    viewport()->stackUnder(frozen_);
    frozen_->hide();
    // Both views scroll together; a click on a frozen header sorts the table.
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(), &QAbstractSlider::setValue);
    frozen_->horizontalHeader()->setSectionsClickable(true);
    connect(frozen_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        QHeaderView* header = horizontalHeader();
        Qt::SortOrder order = Qt::AscendingOrder;
        if (header->sortIndicatorSection() == section) {
            order = header->sortIndicatorOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        } else if (model()) {
            order = static_cast<Qt::SortOrder>(
                model()->headerData(section, Qt::Horizontal, Qt::InitialSortOrderRole).toInt());
        }
        header->setSortIndicator(section, order);
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section < kFrozenColumns) frozen_->setColumnWidth(section, size);
        if (!applyingWidths_ && size > 0) rememberWidth(section, size);
        placeFrozenColumns();
    });
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this](int section, Qt::SortOrder order) {
        frozen_->horizontalHeader()->setSortIndicatorShown(section >= 0 && section < kFrozenColumns);
        frozen_->horizontalHeader()->setSortIndicator(section, order);
    });
}

int CardTableView::frozenWidth() const {
    int width = 0;
    for (int column = 0; column < kFrozenColumns && model() && column < model()->columnCount(); ++column) {
        if (!isColumnHidden(column)) width += columnWidth(column);
    }
    return width;
}

// Over the first columns, as wide as they are, below the header's top.
void CardTableView::placeFrozenColumns() {
    if (!model()) return;
    for (int column = 0; column < model()->columnCount(); ++column) {
        frozen_->setColumnHidden(column, column >= kFrozenColumns || isColumnHidden(column));
        if (column < kFrozenColumns) frozen_->setColumnWidth(column, columnWidth(column));
    }
    const int width = frozenWidth();
    // Only worth it when the table scrolls sideways at all.
    frozen_->setVisible(width > 0 && horizontalScrollBar()->maximum() > 0);
    frozen_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), width,
                         viewport()->height() + horizontalHeader()->height());
}

void CardTableView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFrozenColumns();
}

// The cursor moving left under the frozen columns brings its cell into view.
QModelIndex CardTableView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    if (cursorAction == MoveLeft && current.column() >= kFrozenColumns &&
        visualRect(current).topLeft().x() < frozenWidth()) {
        const int newValue = horizontalScrollBar()->value() + visualRect(current).topLeft().x() - frozenWidth();
        horizontalScrollBar()->setValue(newValue);
    }
    return current;
}

void CardTableView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (index.column() >= kFrozenColumns) QTableView::scrollTo(index, hint);
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
    placeFrozenColumns();
}

void CardTableView::setModel(QAbstractItemModel* newModel) {
    for (const QMetaObject::Connection& watch : modelWatches_) disconnect(watch);
    modelWatches_.clear();
    QTableView::setModel(newModel);
    frozen_->setModel(newModel);
    if (!newModel) return;
    frozen_->setSelectionModel(selectionModel());
    modelWatches_ = {
        connect(newModel, &QAbstractItemModel::modelReset, this, &CardTableView::hideChosenColumns),
        connect(newModel, &QAbstractItemModel::headerDataChanged, this, &CardTableView::hideChosenColumns),
        connect(newModel, &QAbstractItemModel::layoutChanged, this, &CardTableView::placeFrozenColumns)};
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
    applyWidths();
    placeFrozenColumns();
}

namespace {
const QString kWidthsKey = QStringLiteral("table/columnWidths");
constexpr int kWidestFitted = 320;  // a long name fits no further; the tooltip shows it whole
}  // namespace

void CardTableView::applyWidths() {
    if (!model() || model()->rowCount() == 0) return;
    const QVariantMap remembered = AppSettings().value(kWidthsKey).toMap();
    applyingWidths_ = true;
    for (int column = 0; column < model()->columnCount(); ++column) {
        const QVariant width = remembered.value(columnKey(column));
        if (width.isValid()) {
            setColumnWidth(column, width.toInt());
        } else {
            resizeColumnToContents(column);
            setColumnWidth(column, std::min(columnWidth(column), kWidestFitted));
        }
    }
    applyingWidths_ = false;
}

void CardTableView::rememberWidth(int column, int width) {
    if (!model() || column < 0 || column >= model()->columnCount()) return;
    AppSettings stored;
    QVariantMap remembered = stored.value(kWidthsKey).toMap();
    remembered.insert(columnKey(column), width);
    stored.setValue(kWidthsKey, remembered);
}

}  // namespace sormel
