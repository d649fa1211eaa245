#include "fuzz_support.h"

namespace sormel::fuzz {

std::optional<std::vector<CsvRecord>> readCsv(std::string_view bytes, std::string& error) {
    std::vector<CsvRecord> records;
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        CsvRecord record;
        for (;;) {
            CsvField field;
            if (i < n && bytes[i] == '"') {
                field.quoted = true;
                ++i;
                for (;;) {
                    if (i >= n) {
                        error = "quoted field not closed at offset " + std::to_string(i);
                        return std::nullopt;
                    }
                    if (bytes[i] == '"') {
                        if (i + 1 < n && bytes[i + 1] == '"') {
                            field.text.push_back('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field.text.push_back(bytes[i++]);
                }
            } else {
                while (i < n && bytes[i] != ',' && bytes[i] != '\r') {
                    if (bytes[i] == '"' || bytes[i] == '\n') {
                        error = "stray quote or LF in an unquoted field at offset " + std::to_string(i);
                        return std::nullopt;
                    }
                    field.text.push_back(bytes[i++]);
                }
            }
            record.push_back(std::move(field));
            if (i < n && bytes[i] == ',') {
                ++i;
                continue;
            }
            if (i + 1 < n && bytes[i] == '\r' && bytes[i + 1] == '\n') {
                i += 2;
                break;
            }
            error = "record does not end with CR LF at offset " + std::to_string(i);
            return std::nullopt;
        }
        records.push_back(std::move(record));
    }
    return records;
}

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool isTwoDecimalShape(std::string_view text) {
    if (text == "-0.00") return false;
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    if (text.size() < 4 || text[text.size() - 3] != '.') return false;
    const std::size_t point = text.size() - 3;
    if (text[0] == '0' && point != 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != point && !isDigit(text[i])) return false;
    }
    return true;
}

bool isNumberTextShape(std::string_view text) {
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    std::string_view mantissa = text;
    const std::size_t e = text.find("E+");
    if (e != std::string_view::npos) {
        mantissa = text.substr(0, e);
        const std::string_view exponent = text.substr(e + 2);
        if (exponent.empty() || exponent[0] == '0') return false;
        for (const char c : exponent) {
            if (!isDigit(c)) return false;
        }
        // One digit before the point in the exponent form.
        if (mantissa.empty() || mantissa[0] == '0' || (mantissa.size() > 1 && mantissa[1] != '.')) return false;
    }
    if (mantissa.empty()) return false;
    const std::size_t point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    if (whole.empty() || (whole.size() > 1 && whole[0] == '0')) return false;
    std::size_t significant = 0;
    bool leading = true;
    for (const char c : whole) {
        if (!isDigit(c)) return false;
        if (c != '0') leading = false;
        if (!leading) ++significant;
    }
    if (point != std::string_view::npos) {
        const std::string_view fraction = mantissa.substr(point + 1);
        if (fraction.empty() || fraction.back() == '0') return false;
        for (const char c : fraction) {
            if (!isDigit(c)) return false;
            if (c != '0') leading = false;
            if (!leading) ++significant;
        }
    } else if (e == std::string_view::npos) {
        // Whole numbers below 10^15 are written out in full.
        return whole.size() <= 15;
    }
    return significant <= 15;
}

std::string escaped(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out.push_back(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", b);
            out += buffer;
        }
    }
    return out;
}

}  // namespace sormel::fuzz
