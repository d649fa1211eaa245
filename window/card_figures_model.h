// The analysis window's per-card table: every column of the per-card
// report (and the comparison's, when there is a baseline) for one report,
// the whole run's or a deck type's. Cells show text; kSortRole gives the
// number behind a figure, so that views sort 10 after 9. A card that rose
// since the baseline shows green, one that fell red; 新規 and 消滅 rows are
// tinted. With deck results, their columns follow, greyed for a card held
// by too few decks with a result.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <vector>

#include "analysis/card_report.h"
#include "export/report_columns.h"

namespace sormel {

class CardFiguresModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kSortRole = Qt::UserRole + 1;
    // The header's role for what a column means, kept when the copy limit
    // renames the columns of the split ("split/over" is 4枚以上 or 5枚以上).
    static constexpr int kColumnKeyRole = Qt::UserRole + 2;
    static constexpr int kNumberColumn = 0;
    static constexpr int kNameColumn = 1;

    explicit CardFiguresModel(QObject* parent = nullptr);

    // Shows `report`; null shows nothing.
    void setReport(std::shared_ptr<const CardReport> report, bool compared);
    const CardReport* report() const { return report_.get(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rising and falling cards are coloured only when their adoption moved
    // by at least `hundredths` of a point (100: one point).
    void setChangeThreshold(std::int64_t hundredths);
    std::int64_t changeThreshold() const { return changeThreshold_; }

    // Row `left` sorts before row `right` by `column`: numbers by value,
    // an empty figure before any value, texts by code point.
    bool lessThan(int left, int right, int column) const;
    // The card number and name of `row`, folded for matching (see foldForMatch).
    const QString& searchKey(int row) const { return searchKeys_[static_cast<std::size_t>(row)]; }

private:
    const ReportColumn& columnAt(int column) const { return columns_[static_cast<std::size_t>(column)]; }
    QString text(const CardFigures& card, int column) const;

    std::shared_ptr<const CardReport> report_;
    std::vector<ReportColumn> columns_;
    std::vector<QString> searchKeys_;
    std::int64_t changeThreshold_ = 100;
};

// Text folded so that full-width and half-width letters and digits, upper
// and lower case, and hiragana and katakana match alike.
QString foldForMatch(const QString& text);

}  // namespace sormel
