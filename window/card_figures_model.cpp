#include "window/card_figures_model.h"

#include <QBrush>
#include <QColor>

#include "engine/numeric_text.h"
#include "export/report_writer.h"

namespace sormel {
namespace {

// The columns before the split: No., name, decks, copies, adoption, usage,
// average copies, main decks, main copies, side decks, side copies.
constexpr int kFixedColumns = 11;

const QColor kRising(0, 128, 0);
const QColor kFalling(192, 0, 0);
const QColor kNewTint(226, 244, 226);
const QColor kDroppedTint(236, 236, 236);

QString hundredths(std::int64_t value) { return QString::fromStdString(hundredthsText(value)); }

}  // namespace

QString foldForMatch(const QString& text) { return text.normalized(QString::NormalizationForm_KC).toCaseFolded(); }

CardFiguresModel::CardFiguresModel(QObject* parent) : QAbstractTableModel(parent) {}

void CardFiguresModel::setReport(std::shared_ptr<const void> owner, const CardReport* report, bool compared) {
    beginResetModel();
    owner_ = std::move(owner);
    report_ = report;
    columns_.clear();
    searchKeys_.clear();
    if (report_) {
        const std::vector<std::string> names = reportColumnNames(report_->copyLimit);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Kind kind = i < 2 ? Kind::Text : (i == 4 || i == 5 || i == 6) ? Kind::Hundredths : Kind::Count;
            columns_.push_back({QString::fromStdString(names[i]), kind});
        }
        splitStart_ = kFixedColumns;
        comparisonStart_ = -1;
        if (compared) {
            comparisonStart_ = static_cast<int>(columns_.size());
            const std::vector<std::string> more = comparisonColumnNames();
            const Kind kinds[] = {Kind::Hundredths, Kind::Hundredths, Kind::Hundredths, Kind::Hundredths,
                                  Kind::Rank,       Kind::Rank,       Kind::Status};
            for (std::size_t i = 0; i < more.size(); ++i) columns_.push_back({QString::fromStdString(more[i]), kinds[i]});
        }
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

std::optional<std::int64_t> CardFiguresModel::figure(const CardFigures& card, int column) const {
    if (comparisonStart_ >= 0 && column >= comparisonStart_) {
        if (!card.change) return std::nullopt;
        const CardChange& change = *card.change;
        switch (column - comparisonStart_) {
            case 0: return change.adoptionBefore;
            case 1: return change.adoptionChange;
            case 2: return change.avgCopiesBefore;
            case 3: return change.avgCopiesChange;
            case 4: return change.rank ? std::optional<std::int64_t>(*change.rank) : std::nullopt;
            case 5: return change.rankBefore ? std::optional<std::int64_t>(*change.rankBefore) : std::nullopt;
            default: return static_cast<std::int64_t>(change.status);
        }
    }
    if (column >= splitStart_) {
        const auto bucket = static_cast<std::size_t>(column - splitStart_);
        return bucket < card.split.size() ? card.split[bucket] : 0;
    }
    switch (column) {
        case 2: return card.decks;
        case 3: return card.copies;
        case 4: return card.adoption;
        case 5: return card.usage;
        case 6: return card.avgCopies;
        case 7: return card.mainDecks;
        case 8: return card.mainCopies;
        case 9: return card.sideDecks;
        case 10: return card.sideCopies;
        default: return std::nullopt;
    }
}

QString CardFiguresModel::text(const CardFigures& card, int column) const {
    if (column == kNumberColumn) return QString::fromStdString(card.number);
    if (column == kNameColumn) return QString::fromStdString(card.name);
    const Kind kind = columns_[static_cast<std::size_t>(column)].kind;
    if (kind == Kind::Status) return card.change ? QString::fromStdString(cardStatusText(card.change->status)) : QString();
    const std::optional<std::int64_t> value = figure(card, column);
    if (!value) return {};
    if (kind == Kind::Hundredths) return hundredths(*value);
    return QString::number(*value);
}

QVariant CardFiguresModel::data(const QModelIndex& index, int role) const {
    if (!report_ || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const CardFigures& card = report_->cards[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: return text(card, column);
        case kSortRole: {
            if (column <= kNameColumn) return text(card, column);
            const std::optional<std::int64_t> value = figure(card, column);
            return value ? QVariant(static_cast<qlonglong>(*value)) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return column <= kNameColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                         : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            if (card.change && card.change->adoptionChange > 0) return QBrush(kRising);
            if (card.change && card.change->adoptionChange < 0) return QBrush(kFalling);
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
    if (role == Qt::DisplayRole) return columns_[static_cast<std::size_t>(section)].title;
    return {};
}

bool CardFiguresModel::lessThan(int left, int right, int column) const {
    const CardFigures& a = report_->cards[static_cast<std::size_t>(left)];
    const CardFigures& b = report_->cards[static_cast<std::size_t>(right)];
    if (column == kNumberColumn) return a.number < b.number;
    if (column == kNameColumn) return a.name < b.name;  // UTF-8 byte order is code point order
    const std::optional<std::int64_t> x = figure(a, column);
    const std::optional<std::int64_t> y = figure(b, column);
    if (!x || !y) return !x && y;
    return *x < *y;
}

}  // namespace sormel
