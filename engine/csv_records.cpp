#include "engine/csv_records.h"

#include <algorithm>

#include "engine/list_syntax.h"

namespace sormel {

// Fields keep their strings from record to record, so that a long CSV
// costs no allocation per field; runs of plain characters are copied whole.
bool CsvRecordCursor::next(std::vector<std::string>& fields) {
    if (pos_ >= text_.size()) return false;
    std::size_t used = 0;
    const auto startField = [&]() -> std::string& {
        if (used == fields.size()) {
            fields.emplace_back();
        } else {
            fields[used].clear();
        }
        return fields[used++];
    };
    std::string* field = &startField();
    firstLine_ = line_;
    const std::size_t start = pos_;
    const std::size_t size = text_.size();
    bool quoted = false;
    // Counts a line break at pos_ (CR, LF or CR LF) and steps past it.
    auto passLineBreak = [&] {
        if (text_[pos_] == '\r' && pos_ + 1 < size && text_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        ++line_;
    };
    // Copies the characters from pos_ up to the next of `stops` (or the end).
    auto copyRun = [&](std::string_view stops) {
        const std::size_t stop = std::min(text_.find_first_of(stops, pos_), size);
        field->append(text_.substr(pos_, stop - pos_));
        pos_ = stop;
    };
    while (pos_ < size) {
        const char c = text_[pos_];
        if (quoted) {
            if (c == '"') {
                if (pos_ + 1 < size && text_[pos_ + 1] == '"') {
                    *field += '"';
                    pos_ += 2;
                } else {
                    quoted = false;
                    ++pos_;
                }
            } else if (c == '\r' || c == '\n') {
                const std::size_t from = pos_;
                passLineBreak();
                field->append(text_.substr(from, pos_ - from));
            } else {
                copyRun("\"\r\n");
            }
        } else if (c == '"') {
            quoted = true;
            ++pos_;
        } else if (c == ',') {
            field = &startField();
            ++pos_;
        } else if (c == '\r' || c == '\n') {
            record_ = text_.substr(start, pos_ - start);
            passLineBreak();
            fields.resize(used);
            return true;
        } else {
            copyRun(",\"\r\n");
        }
    }
    record_ = text_.substr(start);
    fields.resize(used);
    return true;
}

bool isBlankRecord(const std::vector<std::string>& fields) {
    return fields.size() == 1 && trimBlanks(fields[0]).empty();
}

}  // namespace sormel
