#include "window/usage_grid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <array>

#include "window/compact_grid_style.h"
#include "window/twips.h"
#include "window/usage_table_model.h"
#include "window/window_fonts.h"

namespace sormel {
namespace {

// Column widths in twips, columns 0 to 5.
constexpr std::array<int, UsageTableModel::kColumnCount> kColumnTwips{700, 2390, 700, 700, 700, 700};

// Columns keep their designed widths, so a long card number or name is cut
// ("BT01…") and two cards could read the same: a cut cell shows its whole
// text in a tooltip.
class CutTextTooltips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip) return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        if (isCut(item, view)) {
            QToolTip::showText(event->globalPos(), item.text, view->viewport(), option.rect);
        } else {
            QToolTip::hideText();
        }
        return true;
    }

private:
    // Measured as the style lays the text out: inside the text rectangle,
    // less the margin the style keeps on each side.
    static bool isCut(const QStyleOptionViewItem& item, const QWidget* view) {
        if (item.text.isEmpty()) return false;
        const QStyle* style = view->style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        return item.fontMetrics.horizontalAdvance(item.text) > textRect.width() - 2 * margin;
    }
};

}  // namespace

UsageGrid::UsageGrid(QAbstractItemModel* model, const TwipScale& twips, QWidget* parent) : QTableView(parent) {
    setModel(model);
    for (int column = 0; column < UsageTableModel::kColumnCount; ++column) {
        setColumnWidth(column, twips.x(kColumnTwips[static_cast<std::size_t>(column)]));
    }
    setFont(gothicFont(9));
    auto* compactStyle = new CompactGridStyle;
    compactStyle->setParent(this);
    setStyle(compactStyle);
    horizontalHeader()->setStyle(compactStyle);
    setItemDelegate(new CutTextTooltips(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(1);
    // Beyond the last row and column the grid is grey.
    QPalette grey = viewport()->palette();
    grey.setColor(QPalette::Base, CompactGridStyle::emptyAreaColour());
    viewport()->setPalette(grey);
    setCurrentIndex(model->index(0, 0));
}

}  // namespace sormel
