#include "export/library_messages.h"

#include "engine/visible_text.h"

namespace sormel {
namespace {

// "[ERROR][./src/worksheet.c:200]: Error creating ..." to "Error creating ...".
std::string_view withoutPrefix(std::string_view line) {
    while (line.starts_with('[')) {
        const std::size_t end = line.find(']');
        if (end == std::string_view::npos) break;
        line.remove_prefix(end + 1);
    }
    if (line.starts_with(':')) line.remove_prefix(1);
    while (line.starts_with(' ') || line.ends_with('\r')) {
        if (line.starts_with(' ')) line.remove_prefix(1);
        if (line.ends_with('\r')) line.remove_suffix(1);
    }
    return line;
}

}  // namespace

namespace detail {

std::string joinLibraryLines(std::string_view captured) {
    std::string joined;
    std::string_view rest = captured;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = withoutPrefix(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty()) continue;
        if (!joined.empty()) joined += " / ";
        joined += visibleText(line);
    }
    return joined;
}

}  // namespace detail
}  // namespace sormel
