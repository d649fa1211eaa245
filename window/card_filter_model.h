// The per-card table as a view shows it: sorted by any column (numbers by
// value) and narrowed to the cards whose number or name holds the filter
// text, full-width and half-width, upper and lower case alike.
#pragma once

#include <QSortFilterProxyModel>

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
    CardFiguresModel& cards_;
    QString needle_;  // folded
};

}  // namespace sormel
