#include "engine/csv_records.h"

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
    // Copies the characters from pos_ up to the next one that ends a run
    // (a quote, a line break, and outside quotes a comma) or the end. The
    // test is written out: find_first_of looks each character up in the
    // stop list with a call of its own.
    const char* const data = text_.data();
    auto copyRun = [&](bool commaEnds) {
        std::size_t stop = pos_;
        while (stop < size) {
            const char c = data[stop];
            if (c == '"' || c == '\r' || c == '\n' || (commaEnds && c == ',')) break;
            ++stop;
        }
        field->append(data + pos_, stop - pos_);
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
                copyRun(false);
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
            copyRun(true);
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
