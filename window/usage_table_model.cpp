#include "window/usage_table_model.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <array>
#include <climits>

#include "engine/numeric_text.h"

namespace sormel {
namespace {

struct ColumnLook {
    const char* header;
    Qt::Alignment headerAlignment;
    Qt::Alignment cellAlignment;
};

const std::array<ColumnLook, UsageTableModel::kColumnCount> kColumns{{
    {"No.", Qt::AlignCenter, Qt::AlignCenter},
    {"カード名称", Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignVCenter},
    {"デッキ", Qt::AlignCenter, Qt::AlignRight | Qt::AlignVCenter},
    {"枚数", Qt::AlignCenter, Qt::AlignRight | Qt::AlignVCenter},
    {"採用(%)", Qt::AlignCenter, Qt::AlignRight | Qt::AlignVCenter},
    {"使用(%)", Qt::AlignCenter, Qt::AlignRight | Qt::AlignVCenter},
}};

int clampedRowCount(const UsageTable& table) {
    return static_cast<int>(std::min<std::size_t>(table.rowCount(), static_cast<std::size_t>(INT_MAX)));
}

QString cellText(const UsageRow& row, int column) {
    switch (column) {
        case 0: return QString::fromStdString(row.cardNumber);
        case 1: return QString::fromStdString(row.cardName);
        case 2: return row.counted ? QString::fromStdString(numberText(static_cast<double>(row.decks))) : QString();
        case 3: return row.counted ? QString::fromStdString(numberText(row.copies)) : QString();
        case 4: return row.adoption ? QString::fromStdString(hundredthsText(*row.adoption)) : QString();
        default: return row.usage ? QString::fromStdString(hundredthsText(*row.usage)) : QString();
    }
}

}  // namespace

UsageTableModel::UsageTableModel(const UsageTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), announcedRows_(clampedRowCount(table)) {}

void UsageTableModel::refresh() {
    beginResetModel();
    announcedRows_ = clampedRowCount(table_);
    endResetModel();
}

int UsageTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : announcedRows_; }

int UsageTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant UsageTableModel::data(const QModelIndex& index, int role) const {
    const int column = index.column();
    if (!index.isValid() || column < 0 || column >= kColumnCount) return {};
    switch (role) {
        case Qt::DisplayRole: {
            // The table may have shrunk since the last refresh (a run resets it).
            const auto position = static_cast<std::size_t>(index.row());
            if (position >= table_.rowCount()) return QString();
            return cellText(table_.row(position), column);
        }
        case Qt::TextAlignmentRole: return QVariant::fromValue(kColumns[static_cast<std::size_t>(column)].cellAlignment);
        case Qt::BackgroundRole:
            // The grid's empty area is grey; the cells keep the window colours.
            return QBrush(QGuiApplication::palette().color(QPalette::Base));
        default: return {};
    }
}

QVariant UsageTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(kColumns[static_cast<std::size_t>(section)].header);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(kColumns[static_cast<std::size_t>(section)].headerAlignment);
    return {};
}

}  // namespace sormel
