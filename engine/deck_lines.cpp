#include "engine/deck_lines.h"

#include "engine/numeric_text.h"

namespace sormel {

LineClass classifyCountField(std::string_view count) {
    if (count == "--") return {LineKind::SideSeparator, 0};
    const double copies = parseLeadingNumber(count);
    if (copies == 0) return {LineKind::Ignored, 0};
    return {LineKind::Card, copies};
}

}  // namespace sormel
