// Text from files and file names made safe to show: a control character
// is written as an escape a person can read, so that it cannot move the
// cursor, set the terminal's title, clear the screen or fake a line.
#pragma once

#include <string>
#include <string_view>

namespace sormel {

// C0 control characters other than tab, and DEL, as \xHH (two lower-case
// hex digits: \x1b, \x00, \x7f); C1 control characters (U+0080 to U+009F)
// as \u0080 to \u009f. Everything else, tab included, as it is.
std::string visibleText(std::string_view utf8);

}  // namespace sormel
