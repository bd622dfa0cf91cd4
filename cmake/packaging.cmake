# Installing and packaging: `cmake --install` puts the program, its desktop entry and icon in
# the standard places (the data templates are compiled in, so an installed copy runs from any
# folder); `cpack -G DEB` builds velorine_<version>_<arch>.deb with the files Debian expects.
include(GNUInstallDirs)

install(TARGETS velorine RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/velorine.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/velorine.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The software centres' description of the program (AppStream).
install(FILES packaging/org.example.velorine.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian keeps the licence and the changelog under /usr/share/doc/<package>.
set(VELORINE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/velorine)
# Debian keeps the changelog and the manual page compressed, without a time stamp.
foreach(file changelog velorine.1)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/packaging/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/${file} > ${CMAKE_BINARY_DIR}/packaging/${file}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${file})
endforeach()
add_custom_target(velorine_packaging_files ALL
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_BINARY_DIR}/packaging/velorine.1.gz)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${VELORINE_DOCDIR})
install(FILES ${CMAKE_BINARY_DIR}/packaging/velorine.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velorine)
set(CPACK_PACKAGE_VENDOR "The Velorine developers")
set(CPACK_PACKAGE_CONTACT "The Velorine developers <support@velorine.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "front desk of a small nail and hair salon")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description; CPack indents it under the summary, and an empty line parts paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Velorine keeps a salon's employees and payroll, customers and their visits,
the daily sales ticket with discount, sales tax and the numbered sales
journal, the price list and suppliers, and prints a receipt. A month
calendar, a calculator and a small rich-text editor sit beside them.

The books are SQLite files in the user's data folder; velorine --export-csv
writes them as CSV files for the accountant or a spreadsheet.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SQLite driver, the engine that
# draws the SVG icon, and the fonts printing measures text with. The X11 plugin comes with
# libqt6gui6; the Wayland one is recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6svg6, fonts-dejavu-core")
# A desk that keeps its books on a PostgreSQL server needs the driver, and pg_dump for its
# End Of Day copy.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, libqt6sql6-psql, postgresql-client-15")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
