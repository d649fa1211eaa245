// Unicode simple case folding (one character to one character), for
// comparing names without regard to letter case as spreadsheet programs
// compare sheet names.
#pragma once

#include <string>

namespace sormel {

// The folded form of `c`. Covers Basic Latin, Latin-1 Supplement, Latin
// Extended-A, Latin Extended Additional, Greek, Cyrillic (with its
// supplement) and the full-width Latin letters; other characters, which no
// deck type is likely to hold in both cases, are their own folded form.
char32_t simpleCaseFold(char32_t c);

// Valid UTF-8 with every character folded, still as UTF-8.
std::string caseFolded(const std::string& utf8);

}  // namespace sormel
