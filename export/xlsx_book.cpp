#include "export/xlsx_book.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "export/xlsx_error.h"

namespace sormel::xlsx {
namespace {

// A sheet whose rows stay within this size is deflated whole when it ends,
// in one call, the faster way. A longer sheet's rows are deflated in pieces
// of about kPiece as they are written, each on its own: small enough for
// several threads to share a sheet, large enough to lose nothing
// measurable of the compression.
constexpr std::size_t kWhole = 1024 * 1024;
constexpr std::size_t kPiece = 128 * 1024;
// Finished sheets that may wait for their rows at once before the next
// sheet waits for the first of them.
constexpr std::size_t kSheetsUnderWay = 8;

const char* const kSheetHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";

void appendUnsigned(std::string& out, std::size_t value) { out += std::to_string(value); }

// Room for a cell's opening and a number: a cell is put together here and
// added to the rows at once.
constexpr std::size_t kCellRoom = 160;

char* put(char* out, std::string_view text) { return std::copy(text.begin(), text.end(), out); }

// Excel's rules for a sheet's name: 1 to 31 characters, none of []:*?/\,
// no quote at either end, and no other sheet of the same name in any
// letter case (of ASCII letters).
void checkSheetName(const std::string& name, const std::vector<std::string>& taken) {
    std::size_t characters = 0;
    for (const char c : name) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    bool valid = characters >= 1 && characters <= 31 && name.find_first_of("[]:*?/\\") == std::string::npos &&
                 name.front() != '\'' && name.back() != '\'';
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const std::string& other : taken) {
        if (other.size() == name.size() &&
            std::equal(other.begin(), other.end(), name.begin(), [&](char a, char b) { return lower(a) == lower(b); })) {
            valid = false;
        }
    }
    if (!valid) failWorkbook("シート名が Excel の規則に合いません。");
}

// A cell's text: control characters but tab and line feed as _xHHHH_, as
// Excel writes them, and &, < and > escaped. A text ends at a zero byte,
// which XML cannot hold.
void appendCellText(std::string& out, std::string_view text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte != '&' && byte != '<' && byte != '>') continue;
        out.append(text, plainFrom, i - plainFrom);
        plainFrom = i + 1;
        switch (byte) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '\t':
            case '\n': out += static_cast<char>(byte); break;
            default:
                out += "_x00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
                out += '_';
                break;
        }
    }
    out.append(text, plainFrom);
}

}  // namespace

Sheet::Sheet(Book& book, std::size_t index) : book_(book), index_(index) {}

char* Sheet::openCell(char* out, Row row, Column column, Style style) {
    if (row >= kRowLimit) failWorkbook("行の数が Excel の上限を超えています。");
    if (column >= kColumnLimit) failWorkbook("行または列が Excel の上限を超えています。");
    if (row_ && (row < *row_ || (row == *row_ && column <= *rowColumn_))) {
        throw std::logic_error("a sheet's cells are written row by row, left to right");
    }
    if (!row_ || row > *row_) {
        if (row_) pending_ += "</row>";
        passRowsOn();
        rowDigits_.assign(std::to_string(row + 1ull));
        pending_ += "<row r=\"";
        pending_ += rowDigits_;
        pending_ += "\">";
        row_ = row;
        firstRow_ = std::min(firstRow_, row);
        lastRow_ = std::max(lastRow_, row);
    }
    rowColumn_ = column;
    firstColumn_ = std::min(firstColumn_, column);
    lastColumn_ = std::max(lastColumn_, column);
    // <c r="B3" s="2"
    out = put(out, "<c r=\"");
    out = writeColumnName(out, column);
    out = put(out, rowDigits_);
    *out++ = '"';
    if (style != 0) {
        out = put(out, " s=\"");
        out = std::to_chars(out, out + 8, book_.styleIndex(style)).ptr;
        *out++ = '"';
    }
    return out;
}

void Sheet::text(Row row, Column column, std::string_view text, Style style) {
    text = text.substr(0, text.find('\0'));
    char cell[kCellRoom];
    if (text.empty()) {
        if (style == 0) return;
        char* end = openCell(cell, row, column, style);
        end = put(end, "/>");
        pending_.append(cell, end);
        return;
    }
    char* end = openCell(cell, row, column, style);
    // Spaces at either end are kept only when the element says so.
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    end = put(end, space(text.front()) || space(text.back()) ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">"
                                                             : " t=\"inlineStr\"><is><t>");
    pending_.append(cell, end);
    appendCellText(pending_, text);
    pending_ += "</t></is></c>";
}

void Sheet::number(Row row, Column column, double value, Style style) {
    char cell[kCellRoom];
    char* end = openCell(cell, row, column, style);
    end = put(end, "><v>");
    end = book_.numbers_.write(end, value);
    end = put(end, "</v></c>");
    pending_.append(cell, end);
}

void Sheet::columnWidth(Column column, double characters) {
    if (column >= kColumnLimit) failWorkbook("行または列が Excel の上限を超えています。");
    if (widths_.size() <= column) widths_.resize(column + 1u, -1);
    widths_[column] = characters;
}

void Sheet::autofilter(Row lastRow, Column lastColumn) {
    if (lastRow >= kRowLimit || lastColumn >= kColumnLimit) failWorkbook("行または列が Excel の上限を超えています。");
    // The filter's last cell counts as written, as in Excel's own files.
    firstRow_ = std::min(firstRow_, lastRow);
    lastRow_ = std::max(lastRow_, lastRow);
    firstColumn_ = std::min(firstColumn_, lastColumn);
    lastColumn_ = std::max(lastColumn_, lastColumn);
    filter_ = SheetFilter{index_, lastRow, lastColumn};
}

void Sheet::insertChart(Row row, Column column, Chart chart) {
    chart.sheetName = book_.names_.at(index_);
    chart_ = std::move(chart);
    chartRow_ = row;
    chartColumn_ = column;
}

void Sheet::passRowsOn(bool last) {
    if (last && row_) pending_ += "</row>";
    if (last && rows_.empty()) {
        std::string part = head();
        const std::string end = tail();
        part.reserve(part.size() + pending_.size() + end.size());
        part += pending_;
        part += end;
        rows_.push_back(std::make_unique<DeflatedPiece>());
        whole_ = true;
        pending_ = book_.deflater_.add(rowsUnderWay_, *rows_.back(), std::move(part), RowDeflater::Kind::Whole);
        return;
    }
    if (pending_.size() >= (rows_.empty() ? kWhole : kPiece) || (last && !pending_.empty())) {
        rows_.push_back(std::make_unique<DeflatedPiece>());
        pending_ = book_.deflater_.add(rowsUnderWay_, *rows_.back(), std::move(pending_));
        if (!last && pending_.capacity() < kPiece * 2) pending_.reserve(kPiece * 2);
    }
}

std::string Sheet::head() const {
    std::string xml = kSheetHead;
    xml += "<dimension ref=\"";
    if (firstRow_ == kRowLimit && firstColumn_ == kColumnLimit) {
        xml += "A1";
    } else if (firstRow_ == kRowLimit) {
        xml += rangeName(0, firstColumn_, 0, lastColumn_);
    } else {
        xml += rangeName(firstRow_, firstColumn_, lastRow_, lastColumn_);
    }
    xml += "\"/><sheetViews><sheetView ";
    if (index_ == 0) xml += "tabSelected=\"1\" ";
    xml += frozen_ ? "workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
                     "state=\"frozen\"/><selection pane=\"bottomLeft\"/></sheetView>"
                   : "workbookViewId=\"0\"/>";
    xml += "</sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";
    bool widths = false;
    for (std::size_t column = 0; column < widths_.size(); ++column) {
        if (widths_[column] < 0) continue;
        if (!widths) xml += "<cols>";
        widths = true;
        constexpr double kDefaultWidth = 8.43;
        xml += "<col min=\"";
        appendUnsigned(xml, column + 1);
        xml += "\" max=\"";
        appendUnsigned(xml, column + 1);
        xml += "\" width=\"";
        appendNumber(xml, storedColumnWidth(widths_[column]));
        xml += widths_[column] == kDefaultWidth ? "\"/>" : "\" customWidth=\"1\"/>";
    }
    if (widths) xml += "</cols>";
    xml += firstRow_ == kRowLimit ? "<sheetData/>" : "<sheetData>";
    return xml;
}

std::string Sheet::tail() const {
    std::string xml = firstRow_ == kRowLimit ? "" : "</sheetData>";
    if (filter_) xml += "<autoFilter ref=\"" + rangeName(0, 0, filter_->lastRow, filter_->lastColumn) + "\"/>";
    xml += "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>";
    if (chart_) xml += "<drawing r:id=\"rId1\"/>";
    return xml + "</worksheet>";
}

void Sheet::writeTo(ZipWriter& zip, std::size_t chartNumber) const {
    const std::string number = std::to_string(index_ + 1);
    const std::string part = "xl/worksheets/sheet" + number + ".xml";
    if (whole_) {
        zip.addPart(part, {rows_.front().get()});
    } else {
        // The head and the tail, made now, around the rows deflated as they came.
        DeflatedPiece head;
        head.append(this->head());
        head.finish(false);
        DeflatedPiece tail;
        tail.append(this->tail());
        tail.finish(true);
        std::vector<const DeflatedPiece*> pieces{&head};
        for (const auto& piece : rows_) pieces.push_back(piece.get());
        pieces.push_back(&tail);
        zip.addPart(part, pieces);
    }
    if (!chart_) return;
    const std::string chart = std::to_string(chartNumber);
    zip.addPart("xl/worksheets/_rels/sheet" + number + ".xml.rels", drawingRelationshipXml(true, chartNumber));
    zip.addPart("xl/drawings/drawing" + chart + ".xml", drawingXml(chartRow_, chartColumn_));
    zip.addPart("xl/drawings/_rels/drawing" + chart + ".xml.rels", drawingRelationshipXml(false, chartNumber));
    zip.addPart("xl/charts/chart" + chart + ".xml", chartXml(*chart_));
}

Book::Book(ByteSink& sink, std::time_t created) : zip_(sink), created_(created) {}

Book::~Book() = default;

Style Book::addStyle(CellStyle style) {
    styles_.push_back(std::move(style));
    styleIndexes_.push_back(0);
    return static_cast<Style>(styles_.size());
}

std::size_t Book::styleIndex(Style style) {
    std::size_t& index = styleIndexes_.at(style - 1u);
    // A style is numbered when a cell first uses it, as Excel's files do.
    if (index == 0) {
        used_.push_back(styles_[style - 1u]);
        index = used_.size();
    }
    return index;
}

Sheet& Book::addSheet(const std::string& name) {
    checkSheetName(name, names_);
    finishSheet();
    names_.push_back(name);
    sheet_.reset(new Sheet(*this, names_.size() - 1));
    return *sheet_;
}

void Book::finishSheet() {
    if (!sheet_) return;
    sheet_->passRowsOn(true);
    // Its rows' buffer goes with it; the next sheet takes a spare one.
    std::string().swap(sheet_->pending_);
    written_.push_back(std::move(sheet_));
    writeFinishedSheets(false);
}

void Book::writeFinishedSheets(bool all) {
    while (!written_.empty()) {
        Sheet& sheet = *written_.front();
        if (!all && written_.size() <= kSheetsUnderWay && !deflater_.finished(sheet.rowsUnderWay_)) return;
        deflater_.wait(sheet.rowsUnderWay_);
        const std::size_t chart = sheet.chart_ ? ++charts_ : 0;
        sheet.writeTo(zip_, chart);
        if (sheet.filter_) filters_.push_back(*sheet.filter_);
        written_.pop_front();
    }
}

void Book::close() {
    if (closed_) return;
    finishSheet();
    writeFinishedSheets(true);
    zip_.addPart("xl/workbook.xml", workbookXml(names_, filters_));
    zip_.addPart("xl/_rels/workbook.xml.rels", workbookRelationshipsXml(names_.size()));
    zip_.addPart("xl/theme/theme1.xml", kThemeXml);
    zip_.addPart("xl/styles.xml", stylesXml(used_));
    zip_.addPart("docProps/app.xml", appXml(names_));
    zip_.addPart("docProps/core.xml", coreXml(created_));
    zip_.addPart("_rels/.rels", packageRelationshipsXml());
    zip_.addPart("[Content_Types].xml", contentTypesXml({names_.size(), charts_}));
    zip_.finish();
    closed_ = true;
}

}  // namespace sormel::xlsx
