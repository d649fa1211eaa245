// Worksheet names made from free text, such as deck type names. Excel takes
// a name of 1 to 31 UTF-16 units, without any of []:*?/\, not starting or
// ending with an apostrophe, and not equal, ignoring letter case (Unicode
// simple case folding), to another sheet's name or to the name it keeps for
// itself (History).
#pragma once

#include <string>
#include <vector>

namespace sormel {

// A name for each of `wanted`, in order: forbidden characters (and control
// characters) become "_", U+FFFE and U+FFFF become U+FFFD, an apostrophe at
// either end becomes "_", the text is cut to 31 units on a character
// boundary, and a name that clashes with one of `fixed` or with a name
// given before it gets " (2)", " (3)" … with its text cut further so the
// whole stays within 31 units. `fixed` are
// names already valid and in use.
std::vector<std::string> uniqueSheetNames(const std::vector<std::string>& fixed,
                                          const std::vector<std::string>& wanted);

}  // namespace sormel
