// The per-card report as JSON, keys in the documented order. Rates and
// averages are numbers with at most two decimals, as the table shows them:
// a whole number when the hundredths allow, else the double nearest to the
// two-decimal value, which prints as that value.
#include <nlohmann/json.hpp>

#include "export/json_cards.h"
#include "export/json_text.h"
#include "export/report_writer.h"
#include "export/trend_json.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;

Json resultsSummary(const ResultsSummary& summary) {
    Json object = Json::object();
    object["decks_with_result"] = summary.decksWithResult;
    object["decks_with_place"] = summary.decksWithPlace;
    object["top"] = summary.top;
    object["min_decks"] = summary.minDecks;
    return object;
}


Json deckLines(const std::vector<AverageDeckLine>& lines) {
    Json array = Json::array();
    for (const AverageDeckLine& line : lines) {
        Json object = Json::object();
        object["number"] = line.number;
        object["name"] = line.name;
        object["copies"] = line.copies;
        array.push_back(std::move(object));
    }
    return array;
}

Json averageDeckObject(const AverageDeckFigures& deck) {
    Json object = Json::object();
    object["main"] = deckLines(deck.main);
    object["side"] = deck.side ? deckLines(*deck.side) : Json(nullptr);
    return object;
}


// The document is written piece by piece, one card at a time, so that a
// report of many cards and types never holds them all as JSON values; the
// text goes on to the sink every few dozen kilobytes.
class JsonWriter {
public:
    explicit JsonWriter(ByteSink& sink) : pieces_(sink) {}
    // After each card or deck: hands a piece on when enough text is ready.
    void passOn() { pieces_.passOn(); }
    // The end of the document.
    void finish() {
        out_ += '\n';
        pieces_.passOn(true);
    }

    void open(char bracket) {
        separate();
        out_ += bracket;
        first_ = true;
    }
    void close(char bracket) {
        out_ += bracket;
        first_ = false;
    }
    // `"key":` inside an object.
    void key(const char* name) {
        separate();
        appendJsonKey(out_, name);
        first_ = true;  // the value follows without a comma
    }
    void value(const Json& value) {
        separate();
        out_ += value.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    // A value written by `append` straight into the text.
    template <typename Append>
    void direct(Append&& append) {
        separate();
        append(out_);
    }
    void field(const char* name, const Json& v) {
        key(name);
        value(v);
    }
    // The next array element or object member starts a line of its own.
    void newline() { newline_ = true; }

private:
    void separate() {
        if (!first_) out_ += ',';
        if (newline_) out_ += '\n';
        first_ = false;
        newline_ = false;
    }
    PieceBuffer pieces_;
    std::string& out_ = pieces_.text;
    bool first_ = true;
    bool newline_ = false;
};

void writeCards(JsonWriter& writer, const CardReport& report, const std::vector<PeriodInfo>& periods = {}) {
    // Every member a card can have; cardObject leaves out what a card lacks.
    const CardJsonWriter cards(reportColumns({.copyLimit = report.copyLimit, .compared = true, .results = true}));
    writer.key("cards");
    writer.open('[');
    for (const CardFigures& card : report.cards) {
        writer.newline();
        writer.direct([&](std::string& out) { cards.append(out, card, periods); });
        writer.passOn();
    }
    writer.close(']');
}

}  // namespace

std::string formatReportJson(const ReportData& data) {
    StringSink text;
    writeReportJson(data, text);
    return text.take();
}

void writeReportJson(const ReportData& data, ByteSink& sink) {
    const CardReport& report = data.report;
    JsonWriter writer(sink);
    writer.open('{');
    writer.field("decks", report.deckCount);
    writer.field("copy_limit", report.copyLimit);
    writer.field("side_counted", report.sideCounted);
    writer.field("sort", data.sort == SortChoice::ByCopies ? "copies" : "decks");
    if (!data.periods.empty()) {
        writer.newline();
        writer.field("periods", periodsJson(data.periods));
    }
    writer.newline();
    writer.key("files");
    writer.open('[');
    for (const std::string& file : data.files) {
        writer.direct([&](std::string& out) { appendJsonString(out, file); });
        writer.passOn();
    }
    writer.close(']');
    writer.newline();
    writeCards(writer, report, data.periods);
    if (data.baseline) {
        Json baseline = Json::object();
        baseline["decks"] = data.baseline->decks;
        baseline["folder"] = data.baseline->folder;
        writer.newline();
        writer.field("baseline", baseline);
    }
    if (data.results) {
        writer.newline();
        writer.field("results", resultsSummary(*data.results));
    }
    if (data.typed()) {
        writer.newline();
        writer.key("types");
        writer.open('[');
        for (const TypeReport& type : data.types) {
            writer.newline();
            writer.open('{');
            writer.field("name", type.name);
            writer.field("decks", type.decks);
            writer.field("share", hundredthsNumber(type.share));
            if (type.shareTrend) {
                writer.field("share_series", shareSeriesJson(*type.shareTrend, data.periods));
                writer.field("share_change", hundredthsOrNull(type.shareTrend->change));
                writer.field("share_slope", hundredthsOrNull(type.shareTrend->slope));
            }
            if (type.results) {
                // How the type's decks did, as the members a card's results are.
                CardFigures figures;
                figures.results = type.results;
                for (const ReportColumn& column : reportColumns({.results = true})) {
                    if (column.presence != ColumnPresence::Results) continue;
                    writer.key(column.key.c_str());
                    writer.direct([&](std::string& out) { appendCellJson(out, column.kind, column.value(figures)); });
                }
                writer.field("small_sample", type.results->smallSample);
            }
            writeCards(writer, type.report);
            if (type.report.averageDeck) writer.field("average_deck", averageDeckObject(*type.report.averageDeck));
            writer.close('}');
        }
        writer.close(']');
        writer.newline();
        writer.key("deck_list");
        writer.open('[');
        for (const DeckListEntry& deck : data.deckList) {
            writer.newline();
            writer.direct([&](std::string& out) { appendDeckEntryJson(out, deck); });
            writer.passOn();
        }
        writer.close(']');
    }
    if (report.averageDeck) {
        writer.newline();
        writer.field("average_deck", averageDeckObject(*report.averageDeck));
    }
    writer.close('}');
    writer.finish();
}

}  // namespace sormel
