# Writes OUT, a C++ source holding the text of IN as kReportPage.
file(READ "${IN}" page)
file(WRITE "${OUT}.tmp"
  "// Made from export/html/report.html by export/html/embed_page.cmake.\n"
  "#include \"export/report_page.h\"\n\nnamespace sormel {\n\n"
  "const std::string_view kReportPage = R\"sormelpage(${page})sormelpage\";\n\n}  // namespace sormel\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
