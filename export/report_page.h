// The web report's page: export/html/report.html with its style and
// scripts put in, compiled in as text at build time. It holds two marks the writer fills: @SORMEL_TITLE@ (the
// page's title, HTML-escaped) and @SORMEL_DATA@ (the data block).
#pragma once

#include <string_view>

namespace sormel {

extern const std::string_view kReportPage;

}  // namespace sormel
