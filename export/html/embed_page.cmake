# Writes OUT, a C++ source holding the web report's page as kReportPage:
# report.html from DIR with report.css in place of @SORMEL_STYLE@ and the
# two scripts, one after the other, in place of @SORMEL_SCRIPT@.
file(READ "${DIR}/report.html" page)
file(READ "${DIR}/report.css" style)
file(READ "${DIR}/report_table.js" table_script)
file(READ "${DIR}/report_charts.js" chart_script)
string(REPLACE "@SORMEL_STYLE@" "${style}" page "${page}")
string(REPLACE "@SORMEL_SCRIPT@" "${table_script}${chart_script}" page "${page}")
file(WRITE "${OUT}.tmp"
  "// Made from export/html/ by export/html/embed_page.cmake.\n"
  "#include \"export/report_page.h\"\n\nnamespace sormel {\n\n"
  "const std::string_view kReportPage = R\"sormelpage(${page})sormelpage\";\n\n}  // namespace sormel\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
