# Installing the reader: `cmake --install build --prefix P` lays out
#   P/bin/Pagora                       the program
#   P/lib/pagora/Pagora_txt.so         its text filter (found there by the program)
#   P/share/pagora/Pagora.htm          the help page (its presence marks an installation)
#   P/share/applications/pagora.desktop
#   P/share/icons/hicolor/scalable/apps/pagora.svg
# and `cpack -G DEB` in the build folder makes pagora_<version>_<arch>.deb of it.
install(TARGETS Pagora RUNTIME DESTINATION bin)
install(TARGETS Pagora_txt LIBRARY DESTINATION lib/pagora)
install(FILES ${CMAKE_SOURCE_DIR}/docs/help/Pagora.htm DESTINATION share/pagora)
install(FILES ${CMAKE_SOURCE_DIR}/res/icons/pagora.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/pagora)

# The desktop entry names the program where it is installed; the prefix is
# known only at install time (cmake --install --prefix).
set(PAGORA_MIME_TYPES "text/html;application/xhtml+xml;multipart/related;application/x-mimearchive;message/rfc822;text/plain;application/zip;application/x-maff;application/vnd.rar;application/x-rar;image/png;image/jpeg;image/gif;image/bmp;image/webp;image/svg+xml;")
install(CODE "
  set(PAGORA_MIME_TYPES \"${PAGORA_MIME_TYPES}\")
  set(PAGORA_EXEC \"\${CMAKE_INSTALL_PREFIX}/bin/Pagora\")
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\" OR CMAKE_INSTALL_PREFIX STREQUAL \"/usr/local\")
    set(PAGORA_ICON pagora)
  else()
    set(PAGORA_ICON \"\${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/scalable/apps/pagora.svg\")
  endif()
  if(PAGORA_EXEC MATCHES \"[ \\\"'\\\\\\\\$]\")
    message(FATAL_ERROR \"install prefix must not contain blanks or quotation marks: \${CMAKE_INSTALL_PREFIX}\")
  endif()
  configure_file(\"${CMAKE_SOURCE_DIR}/res/desktop/pagora.desktop.in\"
                 \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/pagora.desktop\" @ONLY)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/pagora.desktop\")
")

# The Debian package: the shared libraries' packages come from
# dpkg-shlibdeps; the rest is what the program needs at run time beside them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pagora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pagora <pagora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reader for e-books and saved web pages")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pagora reads HTML pages, plain-text files (GBK, GB18030, UTF-8 and others),
folders, and ZIP, MAFF and RAR archives of pages without unpacking them.
It keeps the reading position, bookmarks and a bookshelf.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, libqt6webenginecore6-bin, breeze-icon-theme | adwaita-icon-theme, xdg-utils, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils")
include(CPack)
