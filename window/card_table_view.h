// A sortable per-card table: Ctrl+C copies the selected rows, header
// first, as tab-separated text that pastes into a spreadsheet as cells;
// the header's context menu hides and shows columns, which stay hidden by
// what they hold when the model's columns change.
#pragma once

#include <QSet>
#include <QString>
#include <QTableView>
#include <vector>

namespace sormel {

class CardTableView : public QTableView {
    Q_OBJECT
public:
    explicit CardTableView(QWidget* parent = nullptr);

    // The selected rows in the order shown, visible columns only, with the
    // header as first line; lines end in CR LF.
    QString selectedRowsAsText() const;
    void setModel(QAbstractItemModel* model) override;
    // Shows or hides `column`, as the header's menu does; a hidden column
    // stays hidden by what it holds when the columns change.
    void setColumnShown(int column, bool shown);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showColumnMenu(const QPoint& position);
    QString columnKey(int column) const;
    void hideChosenColumns();

    QSet<QString> hiddenKeys_;
    std::vector<QMetaObject::Connection> modelWatches_;
};

}  // namespace sormel
