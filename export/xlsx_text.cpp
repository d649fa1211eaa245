#include "export/xlsx_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

namespace sormel::xlsx {

char* writeColumnName(char* out, Column column) {
    char letters[4];
    int count = 0;
    for (unsigned number = column + 1u; number > 0; number = (number - 1) / 26) {
        letters[count++] = static_cast<char>('A' + (number - 1) % 26);
    }
    while (count > 0) *out++ = letters[--count];
    return out;
}

void appendColumnName(std::string& out, Column column, bool absolute) {
    char name[4];
    if (absolute) out += '$';
    out.append(name, writeColumnName(name, column));
}

void appendCellName(std::string& out, Row row, Column column, bool absolute) {
    appendColumnName(out, column, absolute);
    if (absolute) out += '$';
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, row + 1ull).ptr;
    out.append(digits, end);
}

std::string rangeName(Row firstRow, Column firstColumn, Row lastRow, Column lastColumn, bool absolute) {
    std::string range;
    appendCellName(range, firstRow, firstColumn, absolute);
    if (firstRow == lastRow && firstColumn == lastColumn) return range;
    range += ':';
    appendCellName(range, lastRow, lastColumn, absolute);
    return range;
}

std::string quotedSheetName(std::string_view name) {
    const auto plain = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
    };
    bool needsQuotes = name.empty();
    for (const char c : name) needsQuotes = needsQuotes || !plain(c);
    if (!needsQuotes) return std::string(name);
    std::string quoted = "'";
    for (const char c : name) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    quoted += '\'';
    return quoted;
}

namespace {

template <bool Attribute>
void appendEscaped(std::string& out, std::string_view text) {
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
            case '&': entity = "&amp;"; break;
            case '<': entity = "&lt;"; break;
            case '>': entity = "&gt;"; break;
            case '"': entity = Attribute ? "&quot;" : nullptr; break;
            case '\n': entity = Attribute ? "&#xA;" : nullptr; break;
            default: break;
        }
        if (entity == nullptr) continue;
        out.append(text, plainFrom, i - plainFrom);
        out += entity;
        plainFrom = i + 1;
    }
    out.append(text, plainFrom);
}

}  // namespace

void appendXmlText(std::string& out, std::string_view text) { appendEscaped<false>(out, text); }

void appendXmlAttribute(std::string& out, std::string_view text) { appendEscaped<true>(out, text); }

namespace {

// Whole numbers of at most 16 digits, nearly every number of a report,
// are written the short way.
bool isShortWhole(double value) { return value >= -1e15 && value <= 1e15 && value == std::floor(value); }

}  // namespace

char* writeNumber(char* out, double value) {
    if (isShortWhole(value)) {
        if (value == 0 && std::signbit(value)) {
            *out++ = '-';
            *out++ = '0';
            return out;
        }
        return std::to_chars(out, out + kNumberRoom, static_cast<long long>(value)).ptr;
    }
    char* const end = std::to_chars(out, out + kNumberRoom, value, std::chars_format::general, 16).ptr;
    for (char* c = out; c != end; ++c) {
        if (*c == 'e') *c = 'E';
        else if (*c == 'i' || *c == 'n' || *c == 'f' || *c == 'a') *c = static_cast<char>(*c - 'a' + 'A');
    }
    return end;
}

char* NumberTexts::write(char* out, double value) {
    if (isShortWhole(value)) return writeNumber(out, value);
    const auto bits = std::bit_cast<std::uint64_t>(value);
    Entry& entry = entries_[(bits * 0x9E3779B97F4A7C15ull) >> 52];
    if (entry.bits != bits) {
        char text[kNumberRoom];
        const auto size = static_cast<std::size_t>(writeNumber(text, value) - text);
        if (size > sizeof entry.text) return std::copy(text, text + size, out);
        std::copy(text, text + size, entry.text);
        entry.bits = bits;
        entry.size = static_cast<std::uint8_t>(size);
    }
    return std::copy(entry.text, entry.text + entry.size, out);
}

void appendNumber(std::string& out, double value) {
    char text[kNumberRoom];
    out.append(text, writeNumber(text, value));
}

double storedColumnWidth(double characters) {
    constexpr double kDigit = 7;
    constexpr double kPadding = 5;
    if (characters <= 0) return 0;
    double pixels = 0;
    if (characters < 1) {
        pixels = static_cast<std::uint16_t>(characters * (kDigit + kPadding) + 0.5);
    } else {
        pixels = static_cast<std::uint16_t>(characters * kDigit + 0.5) + kPadding;
    }
    return static_cast<std::uint16_t>(pixels / kDigit * 256.0) / 256.0;
}

}  // namespace sormel::xlsx
