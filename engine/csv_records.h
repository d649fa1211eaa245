// Cutting CSV text (RFC 4180: quoted fields, doubled quotes, line breaks
// inside quotes) into records of fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sormel {

class CsvRecordCursor {
public:
    explicit CsvRecordCursor(std::string_view text) : text_(text) {}

    // Sets `fields` to the next record's fields, unquoted, and returns true,
    // or returns false at the end of the text. A record ends at a CR, LF or
    // CR LF outside quotes; a quote left open runs to the end of the text.
    bool next(std::vector<std::string>& fields);
    bool atEnd() const { return pos_ >= text_.size(); }
    // 1-based number of the physical line the last record began on.
    std::size_t lineNumber() const { return firstLine_; }
    // The record's text as written, for the list of skipped lines.
    std::string_view recordText() const { return record_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;  // the line pos_ is on
    std::size_t firstLine_ = 0;
    std::string_view record_;
};

// Whether a record is a blank line: one field of blanks only.
bool isBlankRecord(const std::vector<std::string>& fields);

}  // namespace sormel
