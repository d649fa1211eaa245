// The per-card report as an Excel workbook. Sheet 集計 holds the cards under
// a frozen header row with a filter, card numbers as text (so "001" stays
// "001") and rates as numbers shown as percentages; against a baseline the
// comparison columns follow, the change in adoption as a percentage too
// (a drop of 16.67 points is -0.1667 shown as -16.67%), so it can be added
// to and subtracted from the adoption columns; with deck results, the
// results columns after them (on 集計 and デッキタイプ only). With deck types, sheet
// デッキタイプ lists each type's decks and share, デッキ一覧 each deck's type,
// and each type has a sheet of its own cards named after it. Sheet 平均デッキ holds the average decks
// when they were asked for; sheet 条件 what the run was made with.

#include <charconv>
#include <ctime>

#include "export/report_conditions.h"
#include "export/report_writer.h"
#include "export/sheet_names.h"
#include "export/trend_sheets.h"
#include "export/xlsx_sheet.h"

namespace sormel {
namespace {

const std::string kCardSheet = "集計";
const std::string kTypeSheet = "デッキタイプ";
const std::string kDeckListSheet = "デッキ一覧";
const std::string kAverageDeckSheet = "平均デッキ";
const std::string kConditionSheet = "条件";

void checkRows(std::size_t rows) {
    if (rows >= xlsx::kRowLimit) failWorkbook("行の数が Excel の上限を超えています。");
}

// Card numbers and names as text, rates as percentages, averages with two
// decimals; a missing value and the status of a card kept since the
// baseline leave the cell blank.
void writeCell(SheetWriter& sheet, xlsx::Row row, xlsx::Column column, ColumnKind kind, const CellValue& value) {
    switch (kind) {
    case ColumnKind::Text:
        sheet.text(row, column, std::string(textIn(value)));
        break;
    case ColumnKind::Count:
        sheet.count(row, column, numberIn(value));
        break;
    case ColumnKind::Rate:
        sheet.percent(row, column, numberIn(value));
        break;
    case ColumnKind::Average:
        sheet.twoDecimals(row, column, numberIn(value));
        break;
    case ColumnKind::Status:
        if (const std::optional<std::int64_t> status = numberIn(value)) {
            const std::string text = cardStatusText(static_cast<CardStatus>(*status));
            if (!text.empty()) sheet.text(row, column, text);
        }
        break;
    }
}

void writeCardSheet(xlsx::Book& book, const std::string& name, const CardReport& report,
                    const ReportLayout& layout, const CellFormats& formats) {
    xlsx::Sheet& sheet = book.addSheet(name);
    checkRows(report.cards.size());
    const std::vector<ReportColumn> columns = reportColumns(layout);
    std::vector<std::string> titles;
    for (const ReportColumn& column : columns) titles.push_back(column.header);
    SheetWriter writer(sheet, titles.size(), formats);
    writer.header(titles);
    xlsx::Row row = 1;
    for (const CardFigures& card : report.cards) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            writeCell(writer, row, static_cast<xlsx::Column>(i), columns[i].kind, columns[i].value(card));
        }
        ++row;
    }
    writer.setWidths(4);
    writer.autofilter(row - 1);
}

// Each type's decks and share; with deck results, how its decks did, in
// the cards' results columns.
void writeTypeSheet(xlsx::Book& book, const std::vector<TypeReport>& types, bool results,
                    const CellFormats& formats) {
    xlsx::Sheet& sheet = book.addSheet(kTypeSheet);
    checkRows(types.size());
    std::vector<ReportColumn> resultColumns;
    if (results) {
        for (const ReportColumn& column : reportColumns({.results = true})) {
            if (column.presence == ColumnPresence::Results) resultColumns.push_back(column);
        }
    }
    std::vector<std::string> titles{"デッキタイプ", "デッキ数", "シェア"};
    for (const ReportColumn& column : resultColumns) titles.push_back(column.header);
    SheetWriter writer(sheet, titles.size(), formats);
    writer.header(titles);
    xlsx::Row row = 1;
    for (const TypeReport& type : types) {
        writer.text(row, 0, type.name);
        writer.count(row, 1, type.decks);
        writer.percent(row, 2, type.share);
        CardFigures figures;
        figures.results = type.results;
        for (std::size_t i = 0; i < resultColumns.size(); ++i) {
            writeCell(writer, row, static_cast<xlsx::Column>(3 + i), resultColumns[i].kind, resultColumns[i].value(figures));
        }
        ++row;
    }
    writer.setWidths(4);
    writer.autofilter(row - 1);
}

// Every deck of the folder with its type, how it got it, and for a deck
// given the nearest type the similarity, with 4 decimals.
void writeDeckListSheet(xlsx::Book& book, const std::vector<DeckListEntry>& decks, const CellFormats& formats) {
    xlsx::Sheet& sheet = book.addSheet(kDeckListSheet);
    checkRows(decks.size());
    const xlsx::Style fourDecimals = book.addStyle({.bold = false, .numberFormat = "0.0000"});
    SheetWriter writer(sheet, 4, formats);
    writer.header({"ファイル", "デッキタイプ", "判定", "類似度"});
    xlsx::Row row = 1;
    for (const DeckListEntry& deck : decks) {
        writer.text(row, 0, deck.file);
        writer.text(row, 1, deck.type);
        writer.text(row, 2, typingWayText(deck.how));
        if (deck.how == TypingWay::Similar) {
            const double shown = shownSimilarity(deck.similarity);
            char text[32];
            const auto end = std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed, 4).ptr;
            writer.decimal(row, 3, shown, std::string(text, end), fourDecimals);
        }
        ++row;
    }
    writer.setWidths(4);
    writer.autofilter(row - 1);
}

struct NamedAverageDeck {
    std::string type;
    const AverageDeckFigures& deck;
};

// The main lines, then the side lines, of each deck in turn; with deck
// types, each row starts with its type.
void writeAverageDeckSheet(xlsx::Book& book, const std::vector<NamedAverageDeck>& decks, bool typeColumn,
                           const CellFormats& formats) {
    xlsx::Sheet& sheet = book.addSheet(kAverageDeckSheet);
    std::vector<std::string> titles{"区分", "カード番号", "カード名称", "枚数"};
    if (typeColumn) titles.insert(titles.begin(), "デッキタイプ");
    SheetWriter writer(sheet, titles.size(), formats);
    writer.header(titles);
    xlsx::Row row = 1;
    const auto writeLines = [&](const std::string& type, const char* part, const std::vector<AverageDeckLine>& lines) {
        checkRows(row + lines.size());
        for (const AverageDeckLine& line : lines) {
            xlsx::Column column = 0;
            if (typeColumn) writer.text(row, column++, type);
            writer.text(row, column++, part);
            writer.text(row, column++, line.number);
            writer.text(row, column++, line.name);
            writer.count(row, column, line.copies);
            ++row;
        }
    };
    for (const NamedAverageDeck& named : decks) {
        writeLines(named.type, "メイン", named.deck.main);
        if (named.deck.side) writeLines(named.type, "サイド", *named.deck.side);
    }
    writer.setWidths(4);
    writer.autofilter(row - 1);
}

void writeConditionSheet(xlsx::Book& book, const ReportData& data, const CellFormats& formats) {
    xlsx::Sheet& sheet = book.addSheet(kConditionSheet);
    SheetWriter writer(sheet, 2, formats);
    writer.header({"項目", "値"});
    xlsx::Row row = 1;
    for (const ConditionRow& condition : reportConditions(data)) {
        writer.text(row, 0, condition.label);
        if (condition.count) {
            writer.count(row++, 1, *condition.count);
        } else {
            writer.text(row++, 1, condition.text);
        }
    }
    writer.setWidths(2);
}

void writeWorkbook(xlsx::Book& book, const ReportData& data) {
    const CellFormats formats = addCellFormats(book);
    const bool comparison = data.baseline.has_value();
    writeCardSheet(book, kCardSheet, data.report,
                   {.copyLimit = data.report.copyLimit, .compared = comparison, .results = data.results.has_value()},
                   formats);
    writeTrendSheets(book, data, formats);
    std::vector<NamedAverageDeck> averageDecks;
    if (data.report.averageDeck) averageDecks.push_back({kAllTypesName, *data.report.averageDeck});
    if (data.typed()) {
        writeTypeSheet(book, data.types, data.results.has_value(), formats);
        writeDeckListSheet(book, data.deckList, formats);
        std::vector<std::string> wanted;
        for (const TypeReport& type : data.types) wanted.push_back(type.name);
        std::vector<std::string> taken{kCardSheet, kTypeSheet, kDeckListSheet, kAverageDeckSheet, kConditionSheet};
        if (!data.periods.empty()) taken.insert(taken.end(), {kTrendSheet, kTypeTrendSheet});
        const std::vector<std::string> names = uniqueSheetNames(taken, wanted);
        for (std::size_t i = 0; i < data.types.size(); ++i) {
            const TypeReport& type = data.types[i];
            writeCardSheet(book, names[i], type.report, {.copyLimit = type.report.copyLimit, .compared = comparison},
                           formats);
            if (type.report.averageDeck) averageDecks.push_back({type.name, *type.report.averageDeck});
        }
    }
    if (!averageDecks.empty()) writeAverageDeckSheet(book, averageDecks, data.typed(), formats);
    writeConditionSheet(book, data, formats);
}

}  // namespace

std::string formatReportXlsx(const ReportData& data) {
    StringSink bytes;
    writeReportXlsx(data, bytes);
    return bytes.take();
}

void writeReportXlsx(const ReportData& data, ByteSink& sink) {
    xlsx::Book book(sink, std::time(nullptr));
    writeWorkbook(book, data);
    book.close();
}

}  // namespace sormel
