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
//
// libxlsxwriter writes only to a named file, so the workbook is built in a
// private temporary folder and read back as bytes.
#include <xlsxwriter.h>

#include <charconv>
#include <fstream>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "engine/path_bytes.h"
#include "export/library_messages.h"
#include "export/private_folder.h"
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
    if (rows >= LXW_ROW_MAX) failWorkbook("行の数が Excel の上限を超えています。");
}

// Card numbers and names as text, rates as percentages, averages with two
// decimals; a missing value and the status of a card kept since the
// baseline leave the cell blank.
void writeCell(SheetWriter& sheet, lxw_row_t row, lxw_col_t column, ColumnKind kind, const CellValue& value) {
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

void writeCardSheet(lxw_workbook* workbook, const std::string& name, const CardReport& report,
                    const ReportLayout& layout, const CellFormats& formats) {
    lxw_worksheet* sheet = addSheet(workbook, name);
    checkRows(report.cards.size());
    const std::vector<ReportColumn> columns = reportColumns(layout);
    std::vector<std::string> titles;
    for (const ReportColumn& column : columns) titles.push_back(column.header);
    SheetWriter writer(sheet, titles.size(), formats);
    writer.header(titles);
    lxw_row_t row = 1;
    for (const CardFigures& card : report.cards) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            writeCell(writer, row, static_cast<lxw_col_t>(i), columns[i].kind, columns[i].value(card));
        }
        ++row;
    }
    writer.setWidths(4);
    writer.autofilter(row - 1);
}

// Each type's decks and share; with deck results, how its decks did, in
// the cards' results columns.
void writeTypeSheet(lxw_workbook* workbook, const std::vector<TypeReport>& types, bool results,
                    const CellFormats& formats) {
    lxw_worksheet* sheet = addSheet(workbook, kTypeSheet);
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
    lxw_row_t row = 1;
    for (const TypeReport& type : types) {
        writer.text(row, 0, type.name);
        writer.count(row, 1, type.decks);
        writer.percent(row, 2, type.share);
        CardFigures figures;
        figures.results = type.results;
        for (std::size_t i = 0; i < resultColumns.size(); ++i) {
            writeCell(writer, row, static_cast<lxw_col_t>(3 + i), resultColumns[i].kind, resultColumns[i].value(figures));
        }
        ++row;
    }
    writer.setWidths(4);
    writer.autofilter(row - 1);
}

// Every deck of the folder with its type, how it got it, and for a deck
// given the nearest type the similarity, with 4 decimals.
void writeDeckListSheet(lxw_workbook* workbook, const std::vector<DeckListEntry>& decks, const CellFormats& formats) {
    lxw_worksheet* sheet = addSheet(workbook, kDeckListSheet);
    checkRows(decks.size());
    lxw_format* fourDecimals = workbook_add_format(workbook);
    if (fourDecimals == nullptr) failWorkbook("書式を追加できません。");
    format_set_num_format(fourDecimals, "0.0000");
    SheetWriter writer(sheet, 4, formats);
    writer.header({"ファイル", "デッキタイプ", "判定", "類似度"});
    lxw_row_t row = 1;
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
void writeAverageDeckSheet(lxw_workbook* workbook, const std::vector<NamedAverageDeck>& decks, bool typeColumn,
                           const CellFormats& formats) {
    lxw_worksheet* sheet = addSheet(workbook, kAverageDeckSheet);
    std::vector<std::string> titles{"区分", "カード番号", "カード名称", "枚数"};
    if (typeColumn) titles.insert(titles.begin(), "デッキタイプ");
    SheetWriter writer(sheet, titles.size(), formats);
    writer.header(titles);
    lxw_row_t row = 1;
    const auto writeLines = [&](const std::string& type, const char* part, const std::vector<AverageDeckLine>& lines) {
        checkRows(row + lines.size());
        for (const AverageDeckLine& line : lines) {
            lxw_col_t column = 0;
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

void writeConditionSheet(lxw_workbook* workbook, const ReportData& data, const CellFormats& formats) {
    lxw_worksheet* sheet = addSheet(workbook, kConditionSheet);
    SheetWriter writer(sheet, 2, formats);
    writer.header({"項目", "値"});
    lxw_row_t row = 1;
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

void writeWorkbook(lxw_workbook* workbook, const ReportData& data) {
    const CellFormats formats = addCellFormats(workbook);
    const bool comparison = data.baseline.has_value();
    writeCardSheet(workbook, kCardSheet, data.report,
                   {.copyLimit = data.report.copyLimit, .compared = comparison, .results = data.results.has_value()},
                   formats);
    writeTrendSheets(workbook, data, formats);
    std::vector<NamedAverageDeck> averageDecks;
    if (data.report.averageDeck) averageDecks.push_back({kAllTypesName, *data.report.averageDeck});
    if (data.typed()) {
        writeTypeSheet(workbook, data.types, data.results.has_value(), formats);
        writeDeckListSheet(workbook, data.deckList, formats);
        std::vector<std::string> wanted;
        for (const TypeReport& type : data.types) wanted.push_back(type.name);
        std::vector<std::string> taken{kCardSheet, kTypeSheet, kDeckListSheet, kAverageDeckSheet, kConditionSheet};
        if (!data.periods.empty()) taken.insert(taken.end(), {kTrendSheet, kTypeTrendSheet});
        const std::vector<std::string> names = uniqueSheetNames(taken, wanted);
        for (std::size_t i = 0; i < data.types.size(); ++i) {
            const TypeReport& type = data.types[i];
            writeCardSheet(workbook, names[i], type.report, {.copyLimit = type.report.copyLimit, .compared = comparison},
                           formats);
            if (type.report.averageDeck) averageDecks.push_back({type.name, *type.report.averageDeck});
        }
    }
    if (!averageDecks.empty()) writeAverageDeckSheet(workbook, averageDecks, data.typed(), formats);
    writeConditionSheet(workbook, data, formats);
}

// Hands the finished workbook on in blocks, never whole in memory.
void copyBytes(const std::filesystem::path& file, ByteSink& sink) {
    std::ifstream in(file, std::ios::binary);
    if (!in) failWorkbook("一時ファイルを読み込めません。");
    std::string block(256 * 1024, '\0');
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > 0) sink.write(std::string_view(block.data(), got));
    }
    if (in.bad()) failWorkbook("一時ファイルを読み込めません。");
}

// The library gives every sheet a table of 16,384 column pointers (128 KiB)
// of which a report touches one page. Such blocks are to be mapped from the
// system, untouched pages costing nothing; glibc's malloc would otherwise
// raise its threshold for that once a block this size is freed, and clear
// every block from its heap in full: 128 KiB of memory per deck type.
void keepLargeBlocksMapped() {
#ifdef __GLIBC__
    static const bool fixed = mallopt(M_MMAP_THRESHOLD, 128 * 1024) != 0;
    (void)fixed;
#endif
}

void writeWorkbookTo(const ReportData& data, ByteSink& sink) {
    keepLargeBlocksMapped();
    const PrivateFolder folder;
    const std::filesystem::path file = folder.path() / "report.xlsx";
    // The library's own temporary files go to the private folder too.
    std::string scratch = pathBytes(folder.path());
    lxw_workbook_options options{};
    options.tmpdir = scratch.data();
    // Rows go to the sheet files as they are written, so that a workbook of
    // many types and cards does not sit in memory whole.
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(pathBytes(file).c_str(), &options);
    if (workbook == nullptr) failWorkbook("ブックを用意できません。");
    try {
        writeWorkbook(workbook, data);
    } catch (...) {
        lxw_workbook_free(workbook);
        throw;
    }
    checkXlsx(workbook_close(workbook));
    copyBytes(file, sink);
}

}  // namespace

std::string formatReportXlsx(const ReportData& data) {
    StringSink bytes;
    writeReportXlsx(data, bytes);
    return bytes.take();
}

void writeReportXlsx(const ReportData& data, ByteSink& sink) {
    // The library prints its failures on standard error too, in English.
    withLibraryDetails("libxlsxwriter", [&] { writeWorkbookTo(data, sink); });
}

}  // namespace sormel
