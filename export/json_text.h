// JSON text written straight into a buffer, for the large parts of a
// report (cards, files, decks), byte for byte as nlohmann::json's dump
// (no indent, UTF-8 kept, invalid UTF-8 replaced by U+FFFD) writes the
// same values, without building a JSON value first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sormel {

// `text` as a JSON string, quotes included.
void appendJsonString(std::string& out, std::string_view text);

// `"name":`.
void appendJsonKey(std::string& out, std::string_view name);

void appendJsonInteger(std::string& out, std::int64_t value);

// Hundredths as the report's numbers are: a whole number when the
// hundredths allow, else the two-decimal value (6667 gives 66.67, -5 gives
// -0.05, 1250 gives 12.5).
void appendJsonHundredths(std::string& out, std::int64_t hundredths);

// A double as nlohmann::json prints it (the shortest text that reads back).
void appendJsonDouble(std::string& out, double value);

inline void appendJsonNull(std::string& out) { out += "null"; }
inline void appendJsonBool(std::string& out, bool value) { out += value ? "true" : "false"; }

}  // namespace sormel
