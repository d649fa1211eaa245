#include "window/type_page.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/deck_typing.h"
#include "engine/numeric_text.h"
#include "window/card_figures_model.h"
#include "window/card_filter_model.h"
#include "window/card_table_view.h"

namespace sormel {
namespace {

QTableWidgetItem* numberItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// A cell sorted by a number of its own rather than by its text; a cell
// without one (no similarity) sorts below every number.
class SortedItem : public QTableWidgetItem {
public:
    SortedItem(const QString& text, double key, bool hasKey) : QTableWidgetItem(text), key_(key), hasKey_(hasKey) {
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        const auto* sorted = dynamic_cast<const SortedItem*>(&other);
        if (!sorted) return QTableWidgetItem::operator<(other);
        if (hasKey_ != sorted->hasKey_) return !hasKey_;
        return key_ < sorted->key_;
    }

private:
    double key_;
    bool hasKey_;
};

QString typingWayShown(TypingWay way) {
    switch (way) {
    case TypingWay::Folder: return QStringLiteral("フォルダー");
    case TypingWay::Rule: return QStringLiteral("ルール");
    case TypingWay::Similar: return QStringLiteral("類似");
    case TypingWay::None: break;
    }
    return QStringLiteral("なし");
}

QTableWidget* makeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    return table;
}

}  // namespace

TypePage::TypePage(QWidget* parent)
    : QWidget(parent),
      types_(makeTable(this, "typeList", {QStringLiteral("デッキタイプ"), QStringLiteral("デッキ"), QStringLiteral("比率(%)")})),
      cards_(new CardFiguresModel(this)),
      table_(new CardTableView(this)),
      decks_(makeTable(this, "deckList",
                       {QStringLiteral("ファイル"), QStringLiteral("デッキタイプ"), QStringLiteral("判定"),
                        QStringLiteral("類似度")})) {
    table_->setObjectName(QStringLiteral("typeCards"));
    table_->setModel(new CardFilterModel(*cards_, table_));
    decks_->setToolTip(QStringLiteral("ダブルクリックでデッキファイルを開きます"));

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(types_);
    splitter->addWidget(table_);
    splitter->addWidget(decks_);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 2);
    auto* hint = new QLabel(QStringLiteral("デッキタイプをサブフォルダーかルールファイルから判定すると、タイプごとの集計を表示します。"), this);
    hint->setObjectName(QStringLiteral("typeHint"));
    hint->setWordWrap(true);
    auto* suggest = new QPushButton(QStringLiteral("タイプ案を作成(&G)…"), this);
    suggest->setObjectName(QStringLiteral("cmdSuggestTypes"));
    suggest->setToolTip(QStringLiteral("デッキの内容からデッキタイプのルールの案を作り、ファイルに保存します"));
    auto* top = new QHBoxLayout;
    top->addWidget(hint, 1);
    top->addWidget(suggest);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    connect(types_, &QTableWidget::itemSelectionChanged, this, &TypePage::showSelectedType);
    connect(decks_, &QTableWidget::cellDoubleClicked, this, [this](int row) { openDeck(row); });
    connect(suggest, &QPushButton::clicked, this, &TypePage::suggestionRequested);
}

void TypePage::setData(std::shared_ptr<const ReportData> report, const std::filesystem::path& folder) {
    data_ = std::move(report);
    folder_ = folder;
    const QSignalBlocker quiet(types_);
    types_->clearContents();
    const std::size_t count = data_ ? data_->types.size() : 0;
    types_->setRowCount(static_cast<int>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const TypeReport& type = data_->types[i];
        const int row = static_cast<int>(i);
        types_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(type.name)));
        types_->setItem(row, 1, numberItem(QString::number(type.decks)));
        types_->setItem(row, 2, numberItem(QString::fromStdString(hundredthsText(type.share))));
    }
    findChild<QLabel*>(QStringLiteral("typeHint"))->setVisible(count == 0);
    if (count > 0) types_->selectRow(0);
    showSelectedType();
    showDecks();
}

void TypePage::showSelectedType() {
    const int row = types_->currentRow();
    if (!data_ || row < 0 || static_cast<std::size_t>(row) >= data_->types.size()) {
        cards_->setReport(nullptr, false);
        return;
    }
    const TypeReport& type = data_->types[static_cast<std::size_t>(row)];
    cards_->setReport(std::shared_ptr<const CardReport>(data_, &type.report), data_->baseline.has_value());
}

// Every deck in reading order; the user sorts by any column. The file cell
// keeps the deck's place in the list, so that a sorted row still finds it.
void TypePage::showDecks() {
    decks_->setSortingEnabled(false);
    // Reading order, with no sort indicator, until the user sorts.
    decks_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    decks_->clearContents();
    const std::size_t count = data_ ? data_->deckList.size() : 0;
    decks_->setRowCount(static_cast<int>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const DeckListEntry& deck = data_->deckList[i];
        const int row = static_cast<int>(i);
        auto* file = new QTableWidgetItem(QString::fromStdString(deck.file));
        file->setData(Qt::UserRole, static_cast<qulonglong>(i));
        decks_->setItem(row, 0, file);
        decks_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(deck.type)));
        decks_->setItem(row, 2, new QTableWidgetItem(typingWayShown(deck.how)));
        const bool similar = deck.how == TypingWay::Similar;
        const double similarity = similar ? shownSimilarity(deck.similarity) : 0.0;
        decks_->setItem(row, 3, new SortedItem(similar ? QString::number(similarity, 'f', 4) : QString(), similarity, similar));
    }
    decks_->setVisible(count > 0);
    decks_->setSortingEnabled(true);
}

void TypePage::openDeck(int row) {
    const QTableWidgetItem* file = decks_->item(row, 0);
    if (!data_ || !file) return;
    const auto index = file->data(Qt::UserRole).toULongLong();
    if (index >= data_->deckList.size()) return;
    const QDir folder(QFile::decodeName(QByteArray::fromStdString(folder_.string())));
    emit deckOpenRequested(folder.filePath(QString::fromStdString(data_->deckList[index].file)));
}

}  // namespace sormel
