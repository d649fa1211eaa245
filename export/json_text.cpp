#include "export/json_text.h"

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

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    // A control character (\n, \u0001, ...) and text that is not valid
    // UTF-8 (replaced) are left to nlohmann's dump; quotes and backslashes
    // are escaped here, and everything else copied as it is.
    bool ascii = true;
    bool quotes = false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20) return appendDump(out, Json(std::string(text)));
        ascii = ascii && byte < 0x80;
        quotes = quotes || c == '"' || c == '\\';
    }
    if (!ascii && !isValidUtf8(text)) return appendDump(out, Json(std::string(text)));
    out += '"';
    std::size_t start = 0;
    for (std::size_t i = 0; quotes && i < text.size(); ++i) {
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

void appendJsonInteger(std::string& out, std::int64_t value) { appendInteger(out, value); }

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
