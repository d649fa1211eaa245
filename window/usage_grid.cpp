#include "window/usage_grid.h"

#include <QHeaderView>
#include <array>

#include "window/compact_grid_style.h"
#include "window/twips.h"
#include "window/usage_table_model.h"
#include "window/window_fonts.h"

namespace sormel {
namespace {

// Column widths in twips, columns 0 to 5.
constexpr std::array<int, UsageTableModel::kColumnCount> kColumnTwips{700, 2390, 700, 700, 700, 700};

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
