# The zip for Windows: the program (one .exe, nothing else to install), the
# README and the licence, in a folder named after the package.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS sormel-checker RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ${SORMEL_PROGRAM_NAME}-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
