# The Debian package: the installation laid out under /usr as Debian wants
# it, and CPack's DEB generator set up to pack it.
#
#   bin/sormel-checker
#   lib/sormel-checker/sormel-checker-window.so    (found by the program from
#                                                   its own folder, ../lib/...)
#   share/applications/sormel-checker.desktop
#   share/icons/hicolor/{16..256}x{16..256}/apps/sormel-checker.png, scalable/...svg
#   share/man/man1/sormel-checker.1.gz, share/man/ja/man1/sormel-checker.1.gz
#   share/doc/sormel-checker/{README.md.gz,copyright,changelog.gz}

set(SORMEL_PACKAGE_MAINTAINER "${SORMEL_PRODUCT_TITLE} developers <sormel-checker@users.invalid>"
    CACHE STRING "The Debian package's maintainer, NAME <ADDRESS>")

install(TARGETS sormel-checker RUNTIME DESTINATION bin)
install(TARGETS sormel-checker-window LIBRARY DESTINATION lib/${SORMEL_PROGRAM_NAME})
install(FILES ${CMAKE_BINARY_DIR}/sormel-checker.desktop DESTINATION share/applications)
set(icons ${PROJECT_SOURCE_DIR}/window/resources/icons)
foreach(size 16 32 48 64 128 256)
  install(FILES ${icons}/sormel-checker-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME sormel-checker.png)
endforeach()
install(FILES ${icons}/sormel-checker.svg DESTINATION share/icons/hicolor/scalable/apps)

# Manual pages, the changelog and the README go in compressed, as Debian
# keeps them; gzip -n leaves out the name and time, so the same sources give
# the same package.
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${CMAKE_BINARY_DIR}/packaging)
configure_file(${packaging}/man/sormel-checker.1.in ${staged}/man/sormel-checker.1 @ONLY)
configure_file(${packaging}/man/ja/sormel-checker.1.in ${staged}/man/ja/sormel-checker.1 @ONLY)
configure_file(${packaging}/debian/changelog.in ${staged}/changelog @ONLY)
set(compressed)
foreach(file man/sormel-checker.1 man/ja/sormel-checker.1 changelog)
  list(APPEND compressed ${staged}/${file}.gz)
  add_custom_command(OUTPUT ${staged}/${file}.gz
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${staged}/${file} ${staged}/${file}.gz
    DEPENDS ${staged}/${file} VERBATIM)
endforeach()
list(APPEND compressed ${staged}/README.md.gz)
add_custom_command(OUTPUT ${staged}/README.md.gz
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/README.md ${staged}/README.md.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/README.md VERBATIM)
add_custom_target(sormel_package_files ALL DEPENDS ${compressed})

# The copyright file: the LICENSE's text as the machine-readable format
# holds it, every line indented and a blank line written as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "\n+$" "" licence "${licence}")
string(REGEX REPLACE "\n" "\n " licence " ${licence}")
string(REGEX REPLACE "\n[ \t]*(\n|$)" "\n .\\1" licence "${licence}")
string(REGEX REPLACE "\n[ \t]*(\n|$)" "\n .\\1" licence "${licence}")
set(SORMEL_LICENSE_TEXT "${licence}")
configure_file(${packaging}/debian/copyright.in ${staged}/copyright @ONLY)

set(doc share/doc/${SORMEL_PROGRAM_NAME})
install(FILES ${staged}/man/sormel-checker.1.gz DESTINATION share/man/man1)
install(FILES ${staged}/man/ja/sormel-checker.1.gz DESTINATION share/man/ja/man1)
install(FILES ${staged}/README.md.gz ${staged}/copyright ${staged}/changelog.gz DESTINATION ${doc})

# The changelog's newest entry names the version it packs.
file(STRINGS ${packaging}/debian/changelog.in newest LIMIT_COUNT 1)
if(NOT newest MATCHES "\\(${PROJECT_VERSION}\\)")
  message(WARNING "packaging/debian/changelog.in has no entry for version ${PROJECT_VERSION}: ${newest}")
endif()

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SORMEL_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION non-free/utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window shows Japanese text, and Qt's own dialogs in Japanese when its
# translations are there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic, qt6-translations-l10n")
