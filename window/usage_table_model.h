// The results grid's view of the usage table: one header row and the six
// visible columns. The table itself stays in the engine; the model reads
// its rows on demand.
//
// During a run the table changes without telling anyone, so the model
// keeps the row count it last announced and reads rows defensively; the
// window calls refresh() whenever it wants the grid to show the table as
// it is now.
#pragma once

#include <QAbstractTableModel>

#include "engine/usage_table.h"

namespace sormel {

class UsageTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 6;

    explicit UsageTableModel(const UsageTable& table, QObject* parent = nullptr);

    // Announces the table's current rows and contents to the views.
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const UsageTable& table_;
    int announcedRows_;
};

}  // namespace sormel
