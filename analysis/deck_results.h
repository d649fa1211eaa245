// Each deck's result in an event (its place, the games it won, lost and
// drew), as a results file lists them and as deck file names may tell the
// place, and which deck of a run each result belongs to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/deck_files.h"

namespace sormel {

struct DeckResult {
    std::optional<std::int64_t> place;  // 1 or more; none for a deck without a place
    std::int64_t wins = 0;
    std::int64_t losses = 0;
    std::int64_t draws = 0;
};

// One row of a results file.
struct ResultRow {
    std::size_t line = 0;  // where the row starts in the file
    std::string file;      // the deck it is for, as written (UTF-8)
    DeckResult result;
};

// A results file or a place pattern that cannot be used. The message names
// the file and the line.
class ResultsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The rows of a results file's bytes: CSV with a header row naming the
// columns (file or ファイル; place or 順位; wins or 勝, losses or 敗,
// draws or 分; letter case and blanks at either end ignored, the leftmost
// of two columns of one name taken, other columns ignored), UTF-8 with or
// without a byte-order mark, or Shift_JIS. Blank lines are not rows.
// Throws ResultsError, naming `shownPath` and the line, for a file without
// a header, without a file column, with neither a place column nor both
// the wins and losses columns, with a value that is not a whole number in
// range, or listing one file twice.
std::vector<ResultRow> parseResults(std::string bytes, const std::string& shownPath);

// The same for a file; ResultsError also when it cannot be read.
std::vector<ResultRow> readResults(const std::filesystem::path& file);

// The place a deck file's name tells, by a pattern (ECMAScript) searched
// for in the name: its first group, a whole number of 1 or more.
class PlaceFromName {
public:
    // Throws ResultsError for a pattern that does not compile or has no group.
    explicit PlaceFromName(const std::string& pattern);
    // Nothing when the pattern is not found in the name (UTF-8, without its
    // folders), or its first group did not take part, is empty, or is not
    // such a number.
    std::optional<std::int64_t> placeIn(const std::string& name) const;

private:
    std::regex pattern_;
};

// The results of the decks of one run.
struct RunResults {
    // By deck, in the run's order; empty for a deck without a result.
    std::vector<std::optional<DeckResult>> decks;
    std::int64_t withResult = 0;
    std::int64_t withPlace = 0;
    // The rows naming a file the run does not read, in the file's order.
    struct Unmatched {
        std::size_t line;
        std::string message;
    };
    std::vector<Unmatched> unmatched;
};

// The results a request names, read before any deck is: a results file
// and a pattern for places in deck file names, either or both.
class ResultsSource {
public:
    // Throws ResultsError for a pattern or a file that cannot be used.
    ResultsSource(const std::optional<std::filesystem::path>& file, const std::optional<std::string>& pattern);
    // The results of the decks `files`, as matchResults gives them.
    RunResults match(const DeckFiles& files) const;

private:
    std::optional<PlaceFromName> pattern_;
    std::vector<ResultRow> rows_;
};

// Gives the decks `files` their results: the row naming the deck's path
// relative to the listed folder (with "/" between folders, compared as
// bytes with the name as the program shows it), and the place its name
// tells by `pattern` (when given) unless the row gives one.
RunResults matchResults(const std::vector<ResultRow>& rows, const PlaceFromName* pattern, const DeckFiles& files);

}  // namespace sormel
