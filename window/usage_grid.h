// mfgList: the results grid. Six narrow columns of fixed width over the
// usage table's model, no row numbers, one pixel of text margin, and the
// area beyond the last row and column in grey.
#pragma once

#include <QTableView>

namespace sormel {

class TwipScale;

class UsageGrid : public QTableView {
    Q_OBJECT
public:
    UsageGrid(QAbstractItemModel* model, const TwipScale& twips, QWidget* parent = nullptr);
};

}  // namespace sormel
