# Installing keelway as a desktop program, and its Debian package (cpack -G DEB).
# An installed program finds its demo in <prefix>/share/keelway/demo and keeps the user's data
# in $XDG_DATA_HOME/keelway (see src/session/data_folder.h).
include(GNUInstallDirs)

install(TARGETS keelway-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET keelway)
  install(TARGETS keelway RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES resources/desktop/keelway.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES resources/desktop/keelway.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
# The simulator's true passing times are for the tests, not for the user.
install(DIRECTORY demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/keelway/demo
  PATTERN truth EXCLUDE)
install(FILES resources/desktop/keelway-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keelway)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "keelway developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "yacht race replay and analysis from GPS tracks")
set(CPACK_PACKAGE_DESCRIPTION "keelway replays sailing races from the boats' GPS tracks on a \
chart, finds when every boat passed every mark and line, ranks the boats on elapsed or \
corrected time and writes leg-by-leg reports and KML. keelway-cli does the analysis without a \
window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "keelway developers <keelway@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# What the libraries do not name: Qt's platform plugins, and a font with Japanese glyphs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
include(CPack)
