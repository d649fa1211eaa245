// A sortable per-card table: Ctrl+C copies the selected rows, header
// first, as tab-separated text that pastes into a spreadsheet as cells;
// the header's context menu hides and shows columns, which stay hidden by
// what they hold when the model's columns change. Columns fit their contents
// when first shown; a width the user sets is remembered, by what the column
// holds, between sessions. The first two columns
// (No. and the name) stay in view when the table scrolls sideways: a
// second view over them shows the same rows, as Qt's frozen-column
// example does.
#pragma once

#include <QSet>
#include <QString>
#include <QTableView>
#include <vector>

namespace sormel {

class CardTableView : public QTableView {
    Q_OBJECT
public:
    static constexpr int kFrozenColumns = 2;

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
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
    void showColumnMenu(const QPoint& position);
    QString columnKey(int column) const;
    void hideChosenColumns();
    void placeFrozenColumns();
    void applyWidths();
    void rememberWidth(int column, int width);
    int frozenWidth() const;

    QTableView* frozen_;
    bool applyingWidths_ = false;  // widths set by the table, not by the user

    QSet<QString> hiddenKeys_;
    std::vector<QMetaObject::Connection> modelWatches_;
};

}  // namespace sormel
