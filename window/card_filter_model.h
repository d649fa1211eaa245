// The per-card table as a view shows it: sorted by any column (numbers by
// value) and narrowed to the cards whose number or name holds the filter
// text, full-width and half-width, upper and lower case alike.
#pragma once

#include <QSortFilterProxyModel>
#include <vector>

namespace sormel {

class CardFiguresModel;

class CardFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit CardFilterModel(CardFiguresModel& cards, QObject* parent = nullptr);

    void setFilterText(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    // Each card's place in the order of `column`, worked out once per
    // column and report: the proxy's own sort then compares two integers.
    const std::vector<int>& ranks(int column) const;

    CardFiguresModel& cards_;
    QString needle_;  // folded
    mutable std::vector<int> ranks_;
    mutable int rankedColumn_ = -1;
};

}  // namespace sormel
