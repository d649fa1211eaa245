#include "engine/csv_records.h"

#include "engine/list_syntax.h"

namespace sormel {

bool CsvRecordCursor::next(std::vector<std::string>& fields) {
    if (pos_ >= text_.size()) return false;
    fields.assign(1, std::string());
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
    while (pos_ < size) {
        const char c = text_[pos_];
        if (quoted) {
            if (c == '"') {
                if (pos_ + 1 < size && text_[pos_ + 1] == '"') {
                    fields.back() += '"';
                    pos_ += 2;
                } else {
                    quoted = false;
                    ++pos_;
                }
            } else if (c == '\r' || c == '\n') {
                const std::size_t from = pos_;
                passLineBreak();
                fields.back().append(text_.substr(from, pos_ - from));
            } else {
                fields.back() += c;
                ++pos_;
            }
        } else if (c == '"') {
            quoted = true;
            ++pos_;
        } else if (c == ',') {
            fields.emplace_back();
            ++pos_;
        } else if (c == '\r' || c == '\n') {
            record_ = text_.substr(start, pos_ - start);
            passLineBreak();
            return true;
        } else {
            fields.back() += c;
            ++pos_;
        }
    }
    record_ = text_.substr(start);
    return true;
}

bool isBlankRecord(const std::vector<std::string>& fields) {
    return fields.size() == 1 && trimBlanks(fields[0]).empty();
}

}  // namespace sormel
