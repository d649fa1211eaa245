// The report as one web page to publish: the page of export/html with the
// run's data in a JSON block, which the page's script lays out as tables
// and charts. The block holds the JSON report (packed into tables, see
// json_tables.h), beside the description of its columns (titles and kinds,
// in the report's order) and the conditions, so the page shows every
// column the report has without knowing them in advance.
#include <nlohmann/json.hpp>

#include "export/json_tables.h"
#include "export/report_columns.h"
#include "export/report_conditions.h"
#include "export/report_page.h"
#include "export/report_writer.h"

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
std::string scriptSafe(const std::string& json) {
    std::string out;
    out.reserve(json.size() + json.size() / 64);
    for (char c : json) {
        if (c == '<') {
            out += "\\u003c";
        } else {
            out += c;
        }
    }
    return out;
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

// Puts `text` in place of the page's one `mark`.
void fill(std::string& page, std::string_view mark, const std::string& text) {
    const std::size_t at = page.find(mark);
    if (at != std::string::npos) page.replace(at, mark.size(), text);
}

}  // namespace

std::string formatReportHtml(const ReportData& data) {
    const std::string page = pageJson(data).dump(-1, ' ', false, Json::error_handler_t::replace);
    // The title goes through the same replacement of text that is not UTF-8.
    const std::string title = Json(data.folder).dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string out(kReportPage);
    fill(out, "@SORMEL_TITLE@", htmlEscaped("カード使用率 " + Json::parse(title).get<std::string>()));
    fill(out, "@SORMEL_DATA@", scriptSafe("{\"page\":" + page + ",\n\"report\":" + packedJson(formatReportJson(data)) + "}"));
    return out;
}

}  // namespace sormel
