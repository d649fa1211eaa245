#include "export/trend_sheets.h"

#include <algorithm>
#include <vector>

#include "export/report_columns.h"

namespace sormel {
namespace {

// The line chart follows this many cards; Excel takes at most 255 series.
constexpr std::size_t kChartedCards = 10;
constexpr std::size_t kMaxSeries = 255;

xlsx::Column columnAt(std::size_t index) { return static_cast<xlsx::Column>(index); }
xlsx::Row rowAt(std::size_t index) { return static_cast<xlsx::Row>(index); }

void checkRows(std::size_t rows) {
    if (rows >= xlsx::kRowLimit) failWorkbook("行の数が Excel の上限を超えています。");
}

// One series per row in `rows`: its values in columns first to first +
// periods − 1, its name in column `nameColumn`, the header cells above as
// categories.
xlsx::Chart rowSeriesChart(xlsx::ChartKind kind, const char* title, const std::vector<xlsx::Row>& rows,
                           xlsx::Column nameColumn, xlsx::Column first, std::size_t periods) {
    xlsx::Chart chart{kind, title, {}, {}};
    const auto last = static_cast<xlsx::Column>(first + periods - 1);
    for (const xlsx::Row row : rows) chart.series.push_back({row, nameColumn, first, last});
    return chart;
}

// The card's number and name, then every trend column of the report.
void writeCardTrendSheet(xlsx::Book& book, const ReportData& data, const CellFormats& formats) {
    xlsx::Sheet& sheet = book.addSheet(kTrendSheet);
    const std::vector<CardFigures>& cards = data.report.cards;
    checkRows(cards.size());
    std::vector<ReportColumn> columns;
    const ReportLayout layout{.copyLimit = data.report.copyLimit, .periods = periodNames(data.periods)};
    for (ReportColumn& column : reportColumns(layout)) {
        if (column.presence == ColumnPresence::Trended) columns.push_back(std::move(column));
    }
    std::vector<std::string> titles{"No.", "カード名称"};
    for (const ReportColumn& column : columns) titles.push_back(column.header);
    SheetWriter writer(sheet, titles.size(), formats);
    writer.header(titles);
    xlsx::Row row = 1;
    for (const CardFigures& card : cards) {
        writer.text(row, 0, card.number);
        writer.text(row, 1, card.name);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const CellValue value = columns[i].value(card);
            if (columns[i].kind == ColumnKind::Status) {
                if (const std::optional<std::int64_t> status = numberIn(value)) {
                    const std::string text = cardStatusText(static_cast<CardStatus>(*status));
                    if (!text.empty()) writer.text(row, columnAt(i + 2), text);
                }
            } else {
                writer.percent(row, columnAt(i + 2), numberIn(value));
            }
        }
        ++row;
    }
    writer.setWidths(4);
    writer.autofilter(row - 1);

    // The cards most adopted in the last period, in the report's order among equals.
    std::vector<std::size_t> charted;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        if (cards[i].trend && cards[i].trend->series.back().adoption.value_or(0) > 0) charted.push_back(i);
    }
    const auto adoption = [&](std::size_t i) { return *cards[i].trend->series.back().adoption; };
    std::stable_sort(charted.begin(), charted.end(),
                     [&](std::size_t a, std::size_t b) { return adoption(a) > adoption(b); });
    if (charted.empty()) return;
    charted.resize(std::min(charted.size(), kChartedCards));
    std::vector<xlsx::Row> rows;
    for (const std::size_t i : charted) rows.push_back(rowAt(i + 1));
    sheet.insertChart(1, columnAt(titles.size() + 1),
                      rowSeriesChart(xlsx::ChartKind::Line, "採用率の推移（最後の期間の上位）", rows, 1, 2,
                                     data.periods.size()));
}

void writeTypeTrendSheet(xlsx::Book& book, const ReportData& data, const CellFormats& formats) {
    xlsx::Sheet& sheet = book.addSheet(kTypeTrendSheet);
    checkRows(data.types.size());
    std::vector<std::string> titles{"デッキタイプ"};
    for (const PeriodInfo& period : data.periods) titles.push_back("シェア " + period.name);
    titles.push_back("シェア増減(pt)");
    titles.push_back("傾き(pt/期)");
    SheetWriter writer(sheet, titles.size(), formats);
    writer.header(titles);
    std::vector<xlsx::Row> rows;
    xlsx::Row row = 1;
    for (const TypeReport& type : data.types) {
        if (!type.shareTrend) continue;
        writer.text(row, 0, type.name);
        xlsx::Column column = 1;
        for (const PeriodShare& share : type.shareTrend->series) writer.percent(row, column++, share.share);
        writer.percent(row, column++, type.shareTrend->change);
        writer.percent(row, column, type.shareTrend->slope);
        if (rows.size() < kMaxSeries) rows.push_back(row);
        ++row;
    }
    writer.setWidths(4);
    writer.autofilter(row - 1);
    if (rows.empty()) return;
    sheet.insertChart(1, columnAt(titles.size() + 1),
                      rowSeriesChart(xlsx::ChartKind::StackedColumn, "デッキタイプのシェアの推移", rows, 0, 1,
                                     data.periods.size()));
}

}  // namespace

void writeTrendSheets(xlsx::Book& book, const ReportData& data, const CellFormats& formats) {
    if (data.periods.empty()) return;
    writeCardTrendSheet(book, data, formats);
    if (data.typed()) writeTypeTrendSheet(book, data, formats);
}

}  // namespace sormel
