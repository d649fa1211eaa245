# Installing the program and packing the installation with CPack. Included
# from the top-level CMakeLists.txt once every target exists; each package
# kind sets up its files and settings in a file of its own before CPack is
# included:
#   cpack -G DEB   the Debian package (cmake/package_deb.cmake)
#   cpack -G ZIP   the Windows program's zip (cmake/package_zip.cmake)

set(CPACK_PACKAGE_NAME ${SORMEL_PROGRAM_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the ${SORMEL_PRODUCT_TITLE} developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "card usage-rate checker for folders of deck lists")
set(CPACK_PACKAGE_DESCRIPTION
    "${SORMEL_PRODUCT_TITLE} reads a folder of deck lists, one file per deck, and
tallies for every card in how many decks it appears and how many copies are
used. It shows the adoption and usage rates in a sorted table, in a window or
as a batch command, and saves them as CSV, JSON, an Excel workbook or a web
page, with deck types, trends over periods and win rates.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(UNIX AND NOT APPLE)
  include(${CMAKE_CURRENT_LIST_DIR}/package_deb.cmake)
elseif(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/package_zip.cmake)
endif()

include(CPack)
