#include "window/average_deck_page.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "export/atomic_file.h"
#include "export/average_deck_file.h"
#include "window/save_flow.h"
#include "window/user_prompts.h"

namespace sormel {

AverageDeckPage::AverageDeckPage(UserPrompts& prompts, QWidget* parent)
    : QWidget(parent),
      prompts_(prompts),
      choice_(new QComboBox(this)),
      lines_(new QTableWidget(0, 4, this)),
      save_(new QPushButton(QStringLiteral("デッキファイルとして保存…"), this)) {
    choice_->setObjectName(QStringLiteral("averageChoice"));
    lines_->setObjectName(QStringLiteral("averageDeck"));
    save_->setObjectName(QStringLiteral("cmdSaveAverage"));
    lines_->setHorizontalHeaderLabels(
        {QStringLiteral("区分"), QStringLiteral("枚数"), QStringLiteral("No."), QStringLiteral("カード名称")});
    lines_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lines_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lines_->verticalHeader()->hide();
    lines_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("対象:"), this));
    controls->addWidget(choice_, 1);
    controls->addStretch();
    controls->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(lines_, 1);
    connect(choice_, &QComboBox::currentIndexChanged, this, &AverageDeckPage::showDeck);
    connect(save_, &QPushButton::clicked, this, &AverageDeckPage::saveDeck);
    setData(nullptr);
}

void AverageDeckPage::setData(std::shared_ptr<const ReportData> report) {
    data_ = std::move(report);
    const QString kept = choice_->currentText();
    const QSignalBlocker quiet(choice_);
    choice_->clear();
    if (data_) {
        choice_->addItem(QStringLiteral("全体"));
        for (const TypeReport& type : data_->types) choice_->addItem(QString::fromStdString(type.name));
        choice_->setCurrentIndex(std::max(0, choice_->findText(kept)));
    }
    showDeck();
}

const AverageDeckFigures* AverageDeckPage::shownDeck() const {
    if (!data_) return nullptr;
    const int index = choice_->currentIndex();
    const CardReport* report = nullptr;
    if (index == 0) report = &data_->report;
    if (index > 0 && static_cast<std::size_t>(index) <= data_->types.size()) {
        report = &data_->types[static_cast<std::size_t>(index - 1)].report;
    }
    return report && report->averageDeck ? &*report->averageDeck : nullptr;
}

void AverageDeckPage::showDeck() {
    lines_->clearContents();
    lines_->setRowCount(0);
    const AverageDeckFigures* deck = shownDeck();
    save_->setEnabled(deck != nullptr);
    if (!deck) return;
    auto addPart = [&](const QString& part, const std::vector<AverageDeckLine>& cards) {
        for (const AverageDeckLine& card : cards) {
            const int row = lines_->rowCount();
            lines_->insertRow(row);
            lines_->setItem(row, 0, new QTableWidgetItem(part));
            auto* copies = new QTableWidgetItem(QString::number(card.copies));
            copies->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            lines_->setItem(row, 1, copies);
            lines_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(card.number)));
            lines_->setItem(row, 3, new QTableWidgetItem(QString::fromStdString(card.name)));
        }
    };
    addPart(QStringLiteral("メイン"), deck->main);
    if (deck->side) addPart(QStringLiteral("サイド"), *deck->side);
}

// In the program's own deck format, so that the program reads it back as
// the same deck.
void AverageDeckPage::saveDeck() {
    const AverageDeckFigures* deck = shownDeck();
    if (!deck) return;
    CsvEncoding written = CsvEncoding::Cp932;
    saveWithDialog(
        prompts_, this, QStringLiteral("デッキファイル (*.txt);;すべてのファイル (*.*)"), QStringLiteral("平均デッキ.txt"),
        [deck, &written](const QString&) {
            AverageDeckText text = formatAverageDeck(*deck, CsvEncoding::Cp932);
            written = text.encoding;
            return std::move(text.text);
        },
        [&written] {
            return written == CsvEncoding::Cp932 ? QStringLiteral("保存が完了しました。（文字コード: Shift_JIS）")
                                                 : QStringLiteral("保存が完了しました。（Shift_JIS で表せない文字があるため、文字コード: UTF-8）");
        });
}

}  // namespace sormel
