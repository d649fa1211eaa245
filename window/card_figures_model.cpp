#include "window/card_figures_model.h"

#include <QBrush>
#include <QColor>

#include "engine/numeric_text.h"
#include "export/report_columns.h"

namespace sormel {
namespace {

const QColor kRising(0, 128, 0);
const QColor kFalling(192, 0, 0);
const QColor kNewTint(226, 244, 226);
const QColor kDroppedTint(236, 236, 236);
const QColor kSmallSample(150, 150, 150);

QString hundredths(std::int64_t value) { return QString::fromStdString(hundredthsText(value)); }

}  // namespace

QString foldForMatch(const QString& text) {
    QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    // Katakana ァ..ヶ to their hiragana ぁ..ゖ, the same distance apart.
    for (QChar& c : folded) {
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6) c = QChar(static_cast<char16_t>(c.unicode() - 0x60));
    }
    return folded;
}

void CardFiguresModel::setChangeThreshold(std::int64_t hundredths) {
    if (hundredths == changeThreshold_) return;
    changeThreshold_ = hundredths;
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole, Qt::DisplayRole});
}

CardFiguresModel::CardFiguresModel(QObject* parent) : QAbstractTableModel(parent) {}

void CardFiguresModel::setReport(std::shared_ptr<const CardReport> report, bool compared) {
    beginResetModel();
    report_ = std::move(report);
    columns_.clear();
    searchKeys_.clear();
    if (report_) {
        // A report made with deck results has them for every card.
        const bool results = !report_->cards.empty() && report_->cards.front().results.has_value();
        columns_ = reportColumns({.copyLimit = report_->copyLimit, .compared = compared, .results = results});
        searchKeys_.reserve(report_->cards.size());
        for (const CardFigures& card : report_->cards) {
            searchKeys_.push_back(foldForMatch(QString::fromStdString(card.number) + QLatin1Char('\n') +
                                               QString::fromStdString(card.name)));
        }
    }
    endResetModel();
}

int CardFiguresModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !report_ ? 0 : static_cast<int>(report_->cards.size());
}

int CardFiguresModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

// Rates and averages with two decimals; a missing value and the status of
// a card kept since the baseline are blank.
QString CardFiguresModel::text(const CardFigures& card, int column) const {
    const ReportColumn& shown = columnAt(column);
    const CellValue value = shown.value(card);
    if (shown.kind == ColumnKind::Text) {
        const std::string_view utf8 = textIn(value);
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }
    const std::optional<std::int64_t> number = numberIn(value);
    if (!number) return {};
    // A change reads as one without its colour: signed, with an arrow.
    if (shown.key.ends_with("change") && (shown.kind == ColumnKind::Rate || shown.kind == ColumnKind::Average)) {
        if (*number > 0) return QLatin1Char('+') + hundredths(*number) + QStringLiteral(" ▲");
        if (*number < 0) return hundredths(*number) + QStringLiteral(" ▼");
    }
    switch (shown.kind) {
        case ColumnKind::Rate:
        case ColumnKind::Average: return hundredths(*number);
        case ColumnKind::Status: return QString::fromStdString(cardStatusText(static_cast<CardStatus>(*number)));
        case ColumnKind::Count:
        case ColumnKind::Text: break;
    }
    return QString::number(*number);
}

QVariant CardFiguresModel::data(const QModelIndex& index, int role) const {
    if (!report_ || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const CardFigures& card = report_->cards[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: return text(card, column);
        case kSortRole: {
            if (columnAt(column).kind == ColumnKind::Text) return text(card, column);
            const std::optional<std::int64_t> value = numberIn(columnAt(column).value(card));
            return value ? QVariant(static_cast<qlonglong>(*value)) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return columnAt(column).kind == ColumnKind::Text ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                                 : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            // Figures over too few decks to go by are there, but greyed.
            if (columnAt(column).presence == ColumnPresence::Results && card.results && card.results->smallSample) {
                return QBrush(kSmallSample);
            }
            if (card.change && card.change->adoptionChange >= changeThreshold_ && card.change->adoptionChange > 0) {
                return QBrush(kRising);
            }
            if (card.change && card.change->adoptionChange <= -changeThreshold_ && card.change->adoptionChange < 0) {
                return QBrush(kFalling);
            }
            return {};
        case Qt::BackgroundRole:
            if (card.change && card.change->status == CardStatus::New) return QBrush(kNewTint);
            if (card.change && card.change->status == CardStatus::Dropped) return QBrush(kDroppedTint);
            return {};
        default: return {};
    }
}

QVariant CardFiguresModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) return QString::fromStdString(columnAt(section).header);
    // A first click sorts figures largest first, text from A.
    if (role == Qt::InitialSortOrderRole) {
        return columnAt(section).kind == ColumnKind::Text ? Qt::AscendingOrder : Qt::DescendingOrder;
    }
    if (role == kColumnKeyRole) {
        const ReportColumn& shown = columnAt(section);
        return QString::fromStdString(shown.group + '/' + shown.key);
    }
    return {};
}

bool CardFiguresModel::lessThan(int left, int right, int column) const {
    const CardFigures& a = report_->cards[static_cast<std::size_t>(left)];
    const CardFigures& b = report_->cards[static_cast<std::size_t>(right)];
    const ReportColumn& sorted = columnAt(column);
    const CellValue first = sorted.value(a);
    const CellValue second = sorted.value(b);
    if (sorted.kind == ColumnKind::Text) return textIn(first) < textIn(second);  // UTF-8 byte order is code point order
    const std::optional<std::int64_t> x = numberIn(first);
    const std::optional<std::int64_t> y = numberIn(second);
    if (!x || !y) return !x && y;
    return *x < *y;
}

}  // namespace sormel
