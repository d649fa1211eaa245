// The report as one web page to publish: the page of export/html with the
// run's data in a JSON block, which the page's script lays out as tables
// and charts. The block holds the JSON report (packed into tables, see
// json_tables.h), beside the description of its columns (titles and kinds,
// in the report's order) and the conditions, so the page shows every
// column the report has without knowing them in advance.
#include <istream>
#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

#include "export/json_tables.h"
#include "export/report_columns.h"
#include "export/report_conditions.h"
#include "export/report_page.h"
#include "export/report_writer.h"
#include "export/text_pipe.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;

const char* kindName(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Text:
        return "text";
    case ColumnKind::Count:
        return "count";
    case ColumnKind::Rate:
        return "rate";
    case ColumnKind::Average:
        return "average";
    case ColumnKind::Status:
        return "status";
    }
    return "text";
}

// The columns as the CSV has them for this run.
Json columnsJson(const ReportData& data) {
    Json columns = Json::array();
    const std::vector<std::string> periods = periodNames(data.periods);
    for (const ReportColumn& column : reportColumns({.copyLimit = data.report.copyLimit,
                                                     .compared = data.baseline.has_value(),
                                                     .periods = periods,
                                                     .results = data.results.has_value()})) {
        Json object = Json::object();
        object["key"] = column.key;
        object["group"] = column.group;
        object["header"] = column.header;
        object["kind"] = kindName(column.kind);
        // A period's adoption sits in the trend's series, at the period's place.
        if (column.presence == ColumnPresence::Trended && column.bucket < periods.size() &&
            column.key == periods[column.bucket]) {
            object["series"] = column.bucket;
        }
        columns.push_back(std::move(object));
    }
    return columns;
}

Json pageJson(const ReportData& data) {
    Json page = Json::object();
    page["folder"] = data.folder;
    page["date"] = data.date;
    page["formats"] = formatsReadText(data.filesByFormat);
    page["all_types"] = kAllTypesName;
    page["columns"] = columnsJson(data);
    Json conditions = Json::array();
    for (const ConditionRow& row : reportConditions(data)) conditions.push_back(Json::array({row.label, row.shown()}));
    page["conditions"] = std::move(conditions);
    return page;
}

// In JSON a "<" stands only inside strings, where \u003c means the same:
// written so, no text in the block can close it ("</script") or open a
// comment ("<!--").
void writeScriptSafe(ByteSink& sink, std::string_view json) {
    std::size_t at = json.find('<');
    if (at == std::string_view::npos) return sink.write(json);
    std::string out;
    out.reserve(json.size() + json.size() / 64);
    std::size_t from = 0;
    for (; at != std::string_view::npos; at = json.find('<', from)) {
        out.append(json, from, at - from);
        out += "\\u003c";
        from = at + 1;
    }
    out.append(json, from);
    sink.write(out);
}

std::string htmlEscaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

}  // namespace

void writeReportHtml(const ReportData& data, ByteSink& sink) {
    // The marks are found in the page itself, so that a title holding a
    // mark's text stays as it is.
    constexpr std::string_view kTitleMark = "@SORMEL_TITLE@";
    constexpr std::string_view kDataMark = "@SORMEL_DATA@";
    const std::size_t titleAt = kReportPage.find(kTitleMark);
    const std::size_t dataAt = kReportPage.find(kDataMark);
    if (titleAt == std::string_view::npos || dataAt == std::string_view::npos || dataAt < titleAt) {
        throw std::logic_error("the web report's page lacks its marks");
    }
    const std::string page = pageJson(data).dump(-1, ' ', false, Json::error_handler_t::replace);
    // The title goes through the same replacement of text that is not UTF-8.
    const std::string title = Json(data.folder).dump(-1, ' ', false, Json::error_handler_t::replace);
    sink.write(kReportPage.substr(0, titleAt));
    sink.write(htmlEscaped("カード使用率 " + Json::parse(title).get<std::string>()));
    const std::size_t afterTitle = titleAt + kTitleMark.size();
    sink.write(kReportPage.substr(afterTitle, dataAt - afterTitle));
    writeScriptSafe(sink, "{\"page\":" + page + ",\n\"report\":");
    // The JSON report is packed as it is written, beside its writing.
    readWhileWriting([&data](ByteSink& json) { writeReportJson(data, json); },
                     [&sink](std::istream& json) {
                         packJson(json, [&sink](std::string_view piece) { writeScriptSafe(sink, piece); });
                     });
    sink.write("}");
    sink.write(kReportPage.substr(dataAt + kDataMark.size()));
}

std::string formatReportHtml(const ReportData& data) {
    StringSink page;
    writeReportHtml(data, page);
    return page.take();
}

}  // namespace sormel
