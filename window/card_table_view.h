// A sortable per-card table: Ctrl+C copies the selected rows, header
// first, as tab-separated text that pastes into a spreadsheet as cells;
// the header's context menu hides and shows columns.
#pragma once

#include <QTableView>

namespace sormel {

class CardTableView : public QTableView {
    Q_OBJECT
public:
    explicit CardTableView(QWidget* parent = nullptr);

    // The selected rows in the order shown, visible columns only, with the
    // header as first line; lines end in CR LF.
    QString selectedRowsAsText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showColumnMenu(const QPoint& position);
};

}  // namespace sormel
