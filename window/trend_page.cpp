#include "window/trend_page.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "export/report_columns.h"
#include "window/chart_image.h"

namespace sormel {
namespace {

constexpr int kCardRole = Qt::UserRole;

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A number that sorts as a number; blank for an empty value.
QTableWidgetItem* hundredthsItem(const std::optional<std::int64_t>& hundredths) {
    auto* item = new QTableWidgetItem;
    if (hundredths) item->setData(Qt::DisplayRole, static_cast<double>(*hundredths) / 100);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// Categories along the bottom, percentages up the side from 0 to 100.
void addPeriodAxes(QChart* chart, const std::vector<PeriodInfo>& periods, const QFont& font) {
    auto* across = new QBarCategoryAxis(chart);
    for (const PeriodInfo& period : periods) across->append(text(period.name));
    auto* up = new QValueAxis(chart);
    up->setRange(0, 100);
    up->setLabelFormat(QStringLiteral("%.0f%%"));
    across->setLabelsFont(font);
    up->setLabelsFont(font);
    chart->addAxis(across, Qt::AlignBottom);
    chart->addAxis(up, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(across);
        series->attachAxis(up);
    }
}

QChart* newChart(const QString& title, const QFont& font) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setTitleFont(font);
    chart->legend()->setFont(font);
    chart->legend()->setAlignment(Qt::AlignRight);
    return chart;
}

// The cards a report follows, most adopted in the last period first (the
// report's order among equals).
std::vector<const CardFigures*> mostAdopted(const ReportData& data, std::size_t count) {
    std::vector<const CardFigures*> cards;
    for (const CardFigures& card : data.report.cards) {
        if (card.trend && !card.trend->series.empty()) cards.push_back(&card);
    }
    const auto last = [](const CardFigures* card) { return card->trend->series.back().adoption.value_or(0); };
    std::stable_sort(cards.begin(), cards.end(),
                     [&](const CardFigures* a, const CardFigures* b) { return last(a) > last(b); });
    if (cards.size() > count) cards.resize(count);
    return cards;
}

}  // namespace

QChart* makeTrendChart(const std::vector<const CardFigures*>& cards, const std::vector<PeriodInfo>& periods,
                       const QFont& font) {
    QChart* chart = newChart(QStringLiteral("採用率の推移"), font);
    for (const CardFigures* card : cards) {
        auto* series = new QLineSeries(chart);
        series->setName(text(card->name.empty() ? card->number : card->name));
        // A period without decks has no adoption: the line passes it by.
        for (std::size_t i = 0; i < card->trend->series.size(); ++i) {
            if (const auto adoption = card->trend->series[i].adoption) {
                series->append(static_cast<double>(i), static_cast<double>(*adoption) / 100);
            }
        }
        chart->addSeries(series);
    }
    addPeriodAxes(chart, periods, font);
    return chart;
}

QChart* makeShareTrendChart(const std::vector<TypeReport>& types, const std::vector<PeriodInfo>& periods,
                            const QFont& font) {
    QChart* chart = newChart(QStringLiteral("デッキタイプのシェアの推移"), font);
    auto* stacked = new QStackedBarSeries(chart);
    for (const TypeReport& type : types) {
        if (!type.shareTrend) continue;
        auto* set = new QBarSet(text(type.name), stacked);
        for (const PeriodShare& share : type.shareTrend->series) {
            *set << static_cast<double>(share.share.value_or(0)) / 100;
        }
        stacked->append(set);
    }
    chart->addSeries(stacked);
    addPeriodAxes(chart, periods, font);
    return chart;
}

TrendPage::TrendPage(UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), prompts_(prompts), folder_(new QLabel(this)),
      clear_(new QPushButton(QStringLiteral("期間をやめる"), this)),
      table_(new QTableWidget(this)), cardChart_(new QChartView(this)), shareChart_(new QChartView(this)),
      saveShares_(new QPushButton(QStringLiteral("シェアのグラフを保存…"), this)) {
    folder_->setObjectName(QStringLiteral("lblPeriods"));
    folder_->setTextFormat(Qt::PlainText);
    folder_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    clear_->setObjectName(QStringLiteral("cmdClearPeriods"));
    auto* choose = new QPushButton(QStringLiteral("期間フォルダー…"), this);
    choose->setObjectName(QStringLiteral("cmdPeriods"));
    auto* saveCards = new QPushButton(QStringLiteral("グラフを保存…"), this);
    saveCards->setObjectName(QStringLiteral("cmdSaveTrendChart"));
    saveShares_->setObjectName(QStringLiteral("cmdSaveShareChart"));
    table_->setObjectName(QStringLiteral("trendTable"));
    cardChart_->setObjectName(QStringLiteral("trendChart"));
    shareChart_->setObjectName(QStringLiteral("shareTrendChart"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    cardChart_->setRenderHint(QPainter::Antialiasing);
    shareChart_->setRenderHint(QPainter::Antialiasing);

    auto* top = new QHBoxLayout;
    top->addWidget(choose);
    top->addWidget(clear_);
    top->addWidget(folder_, 1);
    top->addWidget(saveCards);
    top->addWidget(saveShares_);
    auto* charts = new QSplitter(Qt::Horizontal, this);
    charts->addWidget(cardChart_);
    charts->addWidget(shareChart_);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(table_);
    splitter->addWidget(charts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);

    connect(choose, &QPushButton::clicked, this, &TrendPage::chooseFolderRequested);
    connect(clear_, &QPushButton::clicked, this, &TrendPage::clearFolderRequested);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &TrendPage::showSelectedCards);
    connect(saveCards, &QPushButton::clicked, this,
            [this] { saveChartViewImage(prompts_, this, *cardChart_, QStringLiteral("推移.png")); });
    connect(saveShares_, &QPushButton::clicked, this,
            [this] { saveChartViewImage(prompts_, this, *shareChart_, QStringLiteral("タイプ推移.png")); });
    setFolder({});
    setData(nullptr);
}

void TrendPage::setFolder(const QString& folder) {
    folder_->setText(folder.isEmpty() ? QStringLiteral("期間フォルダーを選ぶと、そのサブフォルダーを期間として推移を表示します。")
                                      : QStringLiteral("期間: ") + QDir::toNativeSeparators(folder));
    folder_->setToolTip(folder);
    clear_->setEnabled(!folder.isEmpty());
}

void TrendPage::setData(std::shared_ptr<const ReportData> report) {
    data_ = report && report->periods.size() >= 2 ? std::move(report) : nullptr;
    fillTable();
    showSelectedCards();
    showShares();
}

void TrendPage::fillTable() {
    const QSignalBlocker quiet(table_);
    table_->setSortingEnabled(false);
    table_->clear();
    const std::vector<PeriodInfo> periods = data_ ? data_->periods : std::vector<PeriodInfo>();
    ReportLayout layout{.copyLimit = data_ ? data_->report.copyLimit : 3, .periods = periodNames(periods)};
    std::vector<ReportColumn> columns;
    for (ReportColumn& column : reportColumns(layout)) {
        if (column.presence == ColumnPresence::Trended) columns.push_back(std::move(column));
    }
    QStringList headers{QStringLiteral("No."), QStringLiteral("カード名称")};
    for (const ReportColumn& column : columns) headers << text(column.header);
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; data_ && i < data_->report.cards.size(); ++i) {
        if (data_->report.cards[i].trend) rows.push_back(i);
    }
    table_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const CardFigures& card = data_->report.cards[rows[r]];
        const int row = static_cast<int>(r);
        auto* number = new QTableWidgetItem(text(card.number));
        number->setData(kCardRole, static_cast<qulonglong>(rows[r]));
        table_->setItem(row, 0, number);
        table_->setItem(row, 1, new QTableWidgetItem(text(card.name)));
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const CellValue value = columns[c].value(card);
            const int column = static_cast<int>(c + 2);
            if (columns[c].kind == ColumnKind::Status) {
                const std::optional<std::int64_t> status = numberIn(value);
                const QString shown = status ? text(cardStatusText(static_cast<CardStatus>(*status))) : QString();
                table_->setItem(row, column, new QTableWidgetItem(shown));
            } else {
                table_->setItem(row, column, hundredthsItem(numberIn(value)));
            }
        }
    }
    // Sortable, but shown first in the report's order.
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSortingEnabled(true);
    table_->setColumnWidth(1, 200);
}

void TrendPage::showSelectedCards() {
    std::vector<const CardFigures*> cards;
    if (data_) {
        for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
            if (static_cast<int>(cards.size()) == kMostChartedTrends) break;
            const auto card = table_->item(index.row(), 0)->data(kCardRole).toULongLong();
            cards.push_back(&data_->report.cards[static_cast<std::size_t>(card)]);
        }
        if (cards.empty()) cards = mostAdopted(*data_, kDefaultChartedTrends);
    }
    QChart* old = cardChart_->chart();
    cardChart_->setChart(makeTrendChart(cards, data_ ? data_->periods : std::vector<PeriodInfo>(), font()));
    delete old;
}

void TrendPage::showShares() {
    const bool typed = data_ && data_->typed();
    QChart* old = shareChart_->chart();
    shareChart_->setChart(typed ? makeShareTrendChart(data_->types, data_->periods, font()) : new QChart);
    delete old;
    shareChart_->setVisible(typed);
    saveShares_->setVisible(typed);
}

}  // namespace sormel
