// Shared pieces of the fuzz targets: a check that stops the fuzzer with a
// message, a strict CSV reader, and text-shape tests for the number formats.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Stops the run when `condition` is false, printing where and why, so that
// libFuzzer saves the input as a crash.
#define FUZZ_CHECK(condition, ...)                                                  \
    do {                                                                            \
        if (!(condition)) {                                                         \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__,   \
                         #condition);                                               \
            std::fprintf(stderr, __VA_ARGS__);                                      \
            std::fprintf(stderr, "\n");                                             \
            std::abort();                                                           \
        }                                                                           \
    } while (false)

namespace sormel::fuzz {

struct CsvField {
    std::string text;
    bool quoted = false;
};
using CsvRecord = std::vector<CsvField>;

// Reads CSV where every record ends with CR LF (the last one too), a quoted
// field may hold anything with its quotes doubled, and an unquoted field
// holds neither a quote, a comma, CR nor LF. Returns nothing, with `error`
// set, when the bytes do not follow those rules.
std::optional<std::vector<CsvRecord>> readCsv(std::string_view bytes, std::string& error);

// "-"?, one or more digits without a superfluous leading zero, ".", exactly
// two digits; never "-0.00".
bool isTwoDecimalShape(std::string_view text);

// A plain decimal number or an exponent form as numberText writes it: no
// trailing zeros after a point, no bare point, at most 15 significant
// digits.
bool isNumberTextShape(std::string_view text);

// Printable form of arbitrary bytes for check messages.
std::string escaped(std::string_view bytes);

}  // namespace sormel::fuzz
