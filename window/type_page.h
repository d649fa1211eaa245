// The analysis window's デッキタイプ page: the deck types with their decks
// and share, and the per-card table of the type selected.
#pragma once

#include <QWidget>
#include <memory>

#include "analysis/report_data.h"

class QTableWidget;

namespace sormel {

class CardFiguresModel;
class CardTableView;

class TypePage : public QWidget {
    Q_OBJECT
public:
    explicit TypePage(QWidget* parent = nullptr);

    // Shows the types of `report`; null shows none.
    void setData(std::shared_ptr<const ReportData> report);

private:
    void showSelectedType();

    std::shared_ptr<const ReportData> data_;
    QTableWidget* types_;
    CardFiguresModel* cards_;
    CardTableView* table_;
};

}  // namespace sormel
