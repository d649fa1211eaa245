#include "window/card_filter_model.h"

#include <algorithm>
#include <numeric>

#include "window/card_figures_model.h"

namespace sormel {

CardFilterModel::CardFilterModel(CardFiguresModel& cards, QObject* parent)
    : QSortFilterProxyModel(parent), cards_(cards) {
    setSourceModel(&cards);
    setSortRole(CardFiguresModel::kSortRole);
    connect(&cards, &QAbstractItemModel::modelAboutToBeReset, this, [this] { rankedColumn_ = -1; });
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
    const std::vector<int>& rank = ranks(left.column());
    return rank[static_cast<std::size_t>(left.row())] < rank[static_cast<std::size_t>(right.row())];
}

const std::vector<int>& CardFilterModel::ranks(int column) const {
    if (column == rankedColumn_ && ranks_.size() == static_cast<std::size_t>(cards_.rowCount())) return ranks_;
    std::vector<int> order(static_cast<std::size_t>(cards_.rowCount()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return cards_.lessThan(a, b, column); });
    // Equal figures share a rank, so that the proxy's stable sort keeps
    // them in the report's order whichever way the column is sorted.
    ranks_.assign(order.size(), 0);
    int rank = 0;
    for (std::size_t place = 0; place < order.size(); ++place) {
        if (place > 0 && cards_.lessThan(order[place - 1], order[place], column)) ++rank;
        ranks_[static_cast<std::size_t>(order[place])] = rank;
    }
    rankedColumn_ = column;
    return ranks_;
}

}  // namespace sormel
