#include "analysis/deck_results.h"

#include <array>
#include <unordered_map>
#include <utility>

#include "engine/csv_records.h"
#include "engine/deck_file.h"
#include "engine/file_error.h"
#include "engine/list_syntax.h"
#include "engine/path_bytes.h"
#include "engine/shown_names.h"
#include "engine/text_decoding.h"
#include "engine/visible_text.h"
#include "engine/whole_count.h"

namespace sormel {
namespace {

std::string bracketed(std::string_view text) { return "「" + visibleText(toValidUtf8(text)) + "」"; }

// A column: the names its heading may have, and how messages call it.
struct Column {
    std::array<std::string_view, 2> names;
    std::string_view shown;
};

constexpr Column kFile{{"file", "ファイル"}, "file（ファイル）"};
constexpr Column kPlace{{"place", "順位"}, "place（順位）"};
constexpr Column kWins{{"wins", "勝"}, "wins（勝）"};
constexpr Column kLosses{{"losses", "敗"}, "losses（敗）"};
constexpr Column kDraws{{"draws", "分"}, "draws（分）"};

bool namesColumn(std::string_view heading, const Column& column) {
    std::string folded(trimBlanks(heading));
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded == column.names[0] || folded == column.names[1];
}

// The leftmost heading naming `column`.
std::optional<std::size_t> findColumn(const std::vector<std::string>& header, const Column& column) {
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (namesColumn(header[i], column)) return i;
    }
    return std::nullopt;
}

class ResultsParser {
public:
    ResultsParser(std::string bytes, const std::string& shownPath) : bytes_(std::move(bytes)), shownPath_(shownPath) {
        encoding_ = prepareDeckText(bytes_);
    }

    std::vector<ResultRow> parse() {
        CsvRecordCursor cursor(bytes_);
        std::vector<std::string> fields;
        bool header = false;
        while (cursor.next(fields)) {
            if (isBlankRecord(fields)) continue;
            for (std::string& field : fields) field = decodeField(field, encoding_);
            if (!header) {
                readHeader(fields, cursor.lineNumber());
                header = true;
            } else {
                readRow(fields, cursor.lineNumber());
            }
        }
        if (!header) throw ResultsError(shownPath_ + ": 成績ファイルに見出しの行がありません（file、place、wins、losses などの列名が必要です）。");
        return std::move(rows_);
    }

private:
    [[noreturn]] void fail(std::size_t line, const std::string& message) const {
        throw ResultsError(shownPath_ + ":" + std::to_string(line) + ": " + message);
    }

    void readHeader(const std::vector<std::string>& header, std::size_t line) {
        file_ = findColumn(header, kFile);
        place_ = findColumn(header, kPlace);
        wins_ = findColumn(header, kWins);
        losses_ = findColumn(header, kLosses);
        draws_ = findColumn(header, kDraws);
        if (!file_) fail(line, "成績ファイルの見出しに " + std::string(kFile.shown) + "の列がありません。");
        if (!place_ && !(wins_ && losses_)) {
            fail(line, "成績ファイルの見出しに " + std::string(kPlace.shown) + "の列も、" + std::string(kWins.shown) + "と" +
                           std::string(kLosses.shown) + "の両方の列もありません。");
        }
    }

    // The whole number in a cell (blanks at either end ignored), nothing
    // for an empty cell or a column the file does not have.
    std::optional<std::int64_t> number(const std::vector<std::string>& fields, std::optional<std::size_t> column,
                                       const Column& shown, std::int64_t least, std::size_t line) const {
        if (!column || *column >= fields.size()) return std::nullopt;
        const std::string_view text = trimBlanks(fields[*column]);
        if (text.empty()) return std::nullopt;
        const std::optional<WholeCount> count = parseWholeCount(text);
        if (!count || count->tooLarge || static_cast<std::int64_t>(count->value) < least) {
            fail(line, std::string(shown.shown) + "には " + std::to_string(least) +
                           " から 2147483647 までの整数を書いてください: " + bracketed(fields[*column]));
        }
        return static_cast<std::int64_t>(count->value);
    }

    void readRow(const std::vector<std::string>& fields, std::size_t line) {
        ResultRow row;
        row.line = line;
        row.file = *file_ < fields.size() ? fields[*file_] : std::string();
        row.result.place = number(fields, place_, kPlace, 1, line);
        row.result.wins = number(fields, wins_, kWins, 0, line).value_or(0);
        row.result.losses = number(fields, losses_, kLosses, 0, line).value_or(0);
        row.result.draws = number(fields, draws_, kDraws, 0, line).value_or(0);
        const auto [first, added] = lineOfFile_.try_emplace(row.file, line);
        if (!added) {
            fail(line, "同じファイルの成績が 2 回あります（" + std::to_string(first->second) +
                           " 行目にもあります）: " + bracketed(row.file));
        }
        rows_.push_back(std::move(row));
    }

    std::string bytes_;
    const std::string& shownPath_;
    DeckEncoding encoding_ = DeckEncoding::Utf8;
    std::optional<std::size_t> file_, place_, wins_, losses_, draws_;
    std::unordered_map<std::string, std::size_t> lineOfFile_;
    std::vector<ResultRow> rows_;
};

}  // namespace

std::vector<ResultRow> parseResults(std::string bytes, const std::string& shownPath) {
    return ResultsParser(std::move(bytes), shownPath).parse();
}

std::vector<ResultRow> readResults(const std::filesystem::path& file) {
    std::string bytes;
    try {
        readWholeFile(file, bytes);
    } catch (const FileError& error) {
        throw ResultsError(std::string("成績ファイルを読めません。") + error.what());
    }
    return parseResults(std::move(bytes), displayPath(file));
}

PlaceFromName::PlaceFromName(const std::string& pattern) {
    const std::string shown = "--place-from-name の正規表現 " + bracketed(pattern);
    try {
        pattern_ = std::regex(pattern, std::regex::ECMAScript);
    } catch (const std::regex_error&) {
        throw ResultsError(shown + " は正しくありません。");
    }
    if (pattern_.mark_count() == 0) {
        throw ResultsError(shown + " に順位を取り出すグループ（( ) で囲んだ部分）がありません。");
    }
}

std::optional<std::int64_t> PlaceFromName::placeIn(const std::string& name) const {
    std::smatch match;
    try {
        if (!std::regex_search(name, match, pattern_)) return std::nullopt;
    } catch (const std::regex_error&) {
        return std::nullopt;  // too complex for this name: no place read from it
    }
    if (!match[1].matched) return std::nullopt;
    const std::optional<WholeCount> count = parseWholeCount(match[1].str());
    if (!count || count->tooLarge || count->value == 0) return std::nullopt;
    return static_cast<std::int64_t>(count->value);
}

ResultsSource::ResultsSource(const std::optional<std::filesystem::path>& file,
                             const std::optional<std::string>& pattern) {
    if (pattern) pattern_.emplace(*pattern);
    if (file) rows_ = readResults(*file);
}

RunResults ResultsSource::match(const DeckFiles& files) const {
    return matchResults(rows_, pattern_ ? &*pattern_ : nullptr, files);
}

RunResults matchResults(const std::vector<ResultRow>& rows, const PlaceFromName* pattern, const DeckFiles& files) {
    RunResults results;
    results.decks.resize(files.size());
    if (!rows.empty()) {
        std::unordered_map<std::string, std::size_t> deckOfName;
        deckOfName.reserve(files.size());
        for (std::size_t deck = 0; deck < files.size(); ++deck) deckOfName.emplace(files.relativeName(deck), deck);
        for (const ResultRow& row : rows) {
            const auto found = deckOfName.find(row.file);
            if (found == deckOfName.end()) {
                results.unmatched.push_back(
                    {row.line, row.file.empty() ? std::string("ファイル名が空の成績は使いません。")
                                                : "集計するデッキにないファイルの成績です: " + bracketed(row.file)});
            } else {
                results.decks[found->second] = row.result;
            }
        }
    }
    for (std::size_t deck = 0; deck < files.size(); ++deck) {
        std::optional<DeckResult>& result = results.decks[deck];
        if (pattern && !(result && result->place)) {
            const std::string name = shownFolderName(std::string(files.name(deck)));
            if (const std::optional<std::int64_t> place = pattern->placeIn(name)) {
                if (!result) result = DeckResult{};
                result->place = place;
            }
        }
        if (result) ++results.withResult;
        if (result && result->place) ++results.withPlace;
    }
    return results;
}

}  // namespace sormel
