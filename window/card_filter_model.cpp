#include "window/card_filter_model.h"

#include "window/card_figures_model.h"

namespace sormel {

CardFilterModel::CardFilterModel(CardFiguresModel& cards, QObject* parent)
    : QSortFilterProxyModel(parent), cards_(cards) {
    setSourceModel(&cards);
    setSortRole(CardFiguresModel::kSortRole);
}

void CardFilterModel::setFilterText(const QString& text) {
    const QString needle = foldForMatch(text.trimmed());
    if (needle == needle_) return;
    needle_ = needle;
    invalidateRowsFilter();
}

bool CardFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return needle_.isEmpty() || cards_.searchKey(sourceRow).contains(needle_);
}

// Straight on the figures: a sort of thirty thousand rows would otherwise
// build a million variants.
bool CardFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return cards_.lessThan(left.row(), right.row(), left.column());
}

}  // namespace sormel
