// The analysis window's カード page: every card of the report in a
// sortable table, a filter with the count of cards it leaves, and the
// change past which rising and falling cards are coloured.
#pragma once

#include <QWidget>
#include <memory>

#include "analysis/card_report.h"

class QDoubleSpinBox;
class QLabel;
class QLineEdit;

namespace sormel {

class CardFiguresModel;
class CardFilterModel;
class CardTableView;

class CardPage : public QWidget {
    Q_OBJECT
public:
    explicit CardPage(QWidget* parent = nullptr);

    // Shows `report` (compared with a baseline when `compared`); null shows none.
    void setReport(std::shared_ptr<const CardReport> report, bool compared);

private:
    void showCount();

    QLineEdit* filter_;
    QLabel* count_;
    QDoubleSpinBox* threshold_;
    CardFiguresModel* cards_;
    CardFilterModel* shown_;
    CardTableView* table_;
};

}  // namespace sormel
