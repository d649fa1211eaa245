// The per-card report as an Excel workbook: sheet 集計 holds the cards under
// a frozen header row with a filter, card numbers as text (so "001" stays
// "001") and rates as numbers shown as percentages; sheet 条件 holds what
// the run was made with.
//
// libxlsxwriter writes only to a named file, so the workbook is built in a
// private temporary folder and read back as bytes.
#include <xlsxwriter.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "engine/numeric_text.h"
#include "engine/text_decoding.h"
#include "export/private_folder.h"
#include "export/report_writer.h"

namespace sormel {
namespace {

constexpr std::size_t kMaxCellCharacters = 32767;  // what one Excel cell holds
constexpr double kMaxColumnWidth = 60;

[[noreturn]] void fail(const std::string& reason) { throw std::runtime_error("Excel ブックを作成できません。" + reason); }

void check(lxw_error error) {
    if (error != LXW_NO_ERROR) fail(lxw_strerror(error));
}

// Valid UTF-8 of at most the characters a cell holds.
std::string cellText(const std::string& text) {
    std::string valid = toValidUtf8(text);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(valid[i]) & 0xC0) != 0x80;
        if (starts && ++characters > kMaxCellCharacters) {
            valid.resize(i);
            break;
        }
    }
    return valid;
}

// Width of a text in Excel's character units: wide (non-ASCII) characters
// take two.
double displayWidth(const std::string& utf8) {
    double width = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            width += 1;
        } else if ((byte & 0xC0) != 0x80) {
            width += 2;
        }
    }
    return width;
}

// Writes cells row by row and remembers how wide each column must be.
class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, std::size_t columns) : sheet_(sheet), widths_(columns, 0) {}

    void text(lxw_row_t row, lxw_col_t column, const std::string& value, lxw_format* format = nullptr) {
        const std::string cell = cellText(value);
        check(worksheet_write_string(sheet_, row, column, cell.c_str(), format));
        fit(column, displayWidth(cell));
    }
    // `shown` is how the cell reads, for its column's width.
    void number(lxw_row_t row, lxw_col_t column, double value, const std::string& shown,
                lxw_format* format = nullptr) {
        check(worksheet_write_number(sheet_, row, column, value, format));
        fit(column, displayWidth(shown));
    }
    void count(lxw_row_t row, lxw_col_t column, std::optional<std::int64_t> value) {
        if (value) number(row, column, static_cast<double>(*value), std::to_string(*value));
    }
    // A little wider than the widest cell, the filter button included.
    void setWidths(double padding) {
        for (std::size_t column = 0; column < widths_.size(); ++column) {
            const double width = std::min(widths_[column] + padding, kMaxColumnWidth);
            check(worksheet_set_column(sheet_, static_cast<lxw_col_t>(column), static_cast<lxw_col_t>(column),
                                       width, nullptr));
        }
    }

private:
    void fit(lxw_col_t column, double width) { widths_[column] = std::max(widths_[column], width); }

    lxw_worksheet* sheet_;
    std::vector<double> widths_;
};

struct Formats {
    lxw_format* header;
    lxw_format* percent;
    lxw_format* twoDecimals;
};

void writeCardRow(SheetWriter& sheet, lxw_row_t row, const CardFigures& card, const Formats& formats) {
    lxw_col_t column = 0;
    sheet.text(row, column++, card.number);
    sheet.text(row, column++, card.name);
    sheet.count(row, column++, card.decks);
    sheet.count(row, column++, card.copies);
    for (const std::int64_t rate : {card.adoption, card.usage}) {
        sheet.number(row, column++, static_cast<double>(rate) / 10000, hundredthsText(rate) + "%", formats.percent);
    }
    if (card.avgCopies) {
        sheet.number(row, column, static_cast<double>(*card.avgCopies) / 100, hundredthsText(*card.avgCopies),
                     formats.twoDecimals);
    }
    ++column;
    sheet.count(row, column++, card.mainDecks);
    sheet.count(row, column++, card.mainCopies);
    sheet.count(row, column++, card.sideDecks);
    sheet.count(row, column++, card.sideCopies);
    for (const std::int64_t decks : card.split) sheet.count(row, column++, decks);
}

void writeCardSheet(lxw_workbook* workbook, const CardReport& report, const Formats& formats) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "集計");
    if (sheet == nullptr) fail("シートを追加できません。");
    if (report.cards.size() >= LXW_ROW_MAX) fail("カードの数が Excel の行数の上限を超えています。");
    const std::vector<std::string> names = reportColumnNames(report.copyLimit);
    SheetWriter writer(sheet, names.size());
    for (std::size_t column = 0; column < names.size(); ++column) {
        writer.text(0, static_cast<lxw_col_t>(column), names[column], formats.header);
    }
    lxw_row_t row = 1;
    for (const CardFigures& card : report.cards) writeCardRow(writer, row++, card, formats);
    writer.setWidths(4);
    worksheet_freeze_panes(sheet, 1, 0);
    check(worksheet_autofilter(sheet, 0, 0, row - 1, static_cast<lxw_col_t>(names.size() - 1)));
}

void writeConditionSheet(lxw_workbook* workbook, const ReportData& data, const Formats& formats) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "条件");
    if (sheet == nullptr) fail("シートを追加できません。");
    const CardReport& report = data.report;
    SheetWriter writer(sheet, 2);
    writer.text(0, 0, "項目", formats.header);
    writer.text(0, 1, "値", formats.header);
    writer.text(1, 0, "デッキ数");
    writer.count(1, 1, report.deckCount);
    writer.text(2, 0, "上限枚数");
    writer.count(2, 1, report.copyLimit);
    writer.text(3, 0, "サイド含む");
    writer.text(3, 1, report.sideCounted ? "はい" : "いいえ");
    writer.text(4, 0, "並び順");
    writer.text(4, 1, data.sort == SortChoice::ByCopies ? "枚数" : "デッキ数");
    writer.text(5, 0, "フォルダー");
    writer.text(5, 1, data.folder);
    writer.text(6, 0, "集計日時");
    writer.text(6, 1, data.date);
    writer.setWidths(2);
    worksheet_freeze_panes(sheet, 1, 0);
}

Formats addFormats(lxw_workbook* workbook) {
    Formats formats{workbook_add_format(workbook), workbook_add_format(workbook), workbook_add_format(workbook)};
    if (formats.header == nullptr || formats.percent == nullptr || formats.twoDecimals == nullptr) {
        fail("書式を追加できません。");
    }
    format_set_bold(formats.header);
    format_set_num_format(formats.percent, "0.00%");
    format_set_num_format(formats.twoDecimals, "0.00");
    return formats;
}

std::string readBytes(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    if (error || !in) fail("一時ファイルを読み込めません。");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) fail("一時ファイルを読み込めません。");
    return bytes;
}

}  // namespace

std::string formatReportXlsx(const ReportData& data) {
    const PrivateFolder folder;
    const std::filesystem::path file = folder.path() / "report.xlsx";
    // The library's own temporary files go to the private folder too.
    std::string scratch = folder.path().native();
    lxw_workbook_options options{};
    options.tmpdir = scratch.data();
    lxw_workbook* workbook = workbook_new_opt(file.c_str(), &options);
    if (workbook == nullptr) fail("ブックを用意できません。");
    try {
        const Formats formats = addFormats(workbook);
        writeCardSheet(workbook, data.report, formats);
        writeConditionSheet(workbook, data, formats);
    } catch (...) {
        lxw_workbook_free(workbook);
        throw;
    }
    check(workbook_close(workbook));
    return readBytes(file);
}

}  // namespace sormel
