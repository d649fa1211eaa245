#include "export/json_text.h"

#include <charconv>
#include <nlohmann/json.hpp>

#include "engine/numeric_text.h"
#include "engine/text_decoding.h"
#include "export/trend_json.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;

void appendDump(std::string& out, const Json& value) {
    out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Whether every byte of `text` is copied as it is or as \" or \\: no control
// character (written as \n, \u0001, ...) and valid UTF-8 (else replaced).
bool plainText(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) return false;
    }
    return isValidUtf8(text);
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    // Most texts (card numbers, names, file names) are printable ASCII
    // without a quote or backslash, or UTF-8 text: copied whole.
    bool ascii = true, escaped = false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            ascii = false;
        } else if (byte < 0x20 || c == '"' || c == '\\') {
            escaped = true;
            break;
        }
    }
    if (!escaped && (ascii || isValidUtf8(text))) {
        out += '"';
        out += text;
        out += '"';
        return;
    }
    if (!plainText(text)) return appendDump(out, Json(std::string(text)));
    out += '"';
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '"' && text[i] != '\\') continue;
        out.append(text, start, i - start);
        out += '\\';
        out += text[i];
        start = i + 1;
    }
    out.append(text, start);
    out += '"';
}

void appendJsonKey(std::string& out, std::string_view name) {
    appendJsonString(out, name);
    out += ':';
}

void appendJsonInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

void appendJsonDouble(std::string& out, double value) { appendDump(out, Json(value)); }

void appendJsonHundredths(std::string& out, std::int64_t hundredths) {
    // Up to 15 significant digits, the shortest text of the double nearest
    // to the two-decimal value is that value itself; beyond, the double is
    // printed as it is.
    constexpr std::int64_t kExact = 1'000'000'000'000'000;
    if (hundredths % 100 != 0 && (hundredths >= kExact || hundredths <= -kExact)) {
        return appendDump(out, hundredthsNumber(hundredths));
    }
    appendShortHundredths(out, hundredths);
}

}  // namespace sormel
