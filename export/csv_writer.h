// Writing the usage table as CSV: one line per row in display order, no
// header, CR LF after every line.
//
//   "card number","card name",decks,copies,adoption,usage
//
// Texts are quoted with any double quote inside doubled; counts are written
// as integers (rounded, halves to even), rates in their shortest form.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/usage_table.h"

namespace sormel {

// Code page 932 (Shift_JIS as Windows writes it), UTF-8, or UTF-8 with a
// byte-order mark (which Excel needs to read UTF-8).
enum class CsvEncoding { Cp932, Utf8, Utf8Bom };

// Characters code page 932 cannot hold, written as "?" in its CSV: how
// many, in how many rows.
struct Cp932Loss {
    std::size_t characters = 0;
    std::size_t rows = 0;
};
Cp932Loss cp932Loss(const UsageTable& table);

// Appends `utf8` as a quoted CSV text field in `encoding`. Returns how many
// characters code page 932 could not hold.
std::size_t appendQuoted(std::string& out, std::string_view utf8, CsvEncoding encoding);

// The whole CSV as bytes. Throws CardError when a count does not fit the
// integer range; nothing is produced then. With `loss`, also counts what
// cp932Loss counts, in the same pass.
std::string formatCsv(const UsageTable& table, CsvEncoding encoding, Cp932Loss* loss = nullptr);

}  // namespace sormel
