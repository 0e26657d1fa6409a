# Installing keelway as a desktop program, and its Debian package (cpack -G DEB). The files
# Debian asks for (copyright, changelog, lintian overrides) are in resources/debian/;
# docs/PACKAGING.md says why each is as it is.
# An installed program finds its demo in <prefix>/share/keelway/demo and keeps the user's data
# in $XDG_DATA_HOME/keelway (see src/session/data_folder.h).
include(GNUInstallDirs)

install(TARGETS keelway-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The video encoder, which the programs look for in bin/../${KEELWAY_MODULE_DIR}.
install(TARGETS keelway_video LIBRARY DESTINATION ${KEELWAY_MODULE_DIR})
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

# Debian wants man pages and the changelog gzipped at maximum compression; -n leaves out the name
# and time gzip would store, so that two builds make the same package.
find_program(KEELWAY_GZIP gzip REQUIRED)
set(KEELWAY_GZ_DIR ${CMAKE_BINARY_DIR}/packaging)
set(gz_outputs "")
foreach(doc resources/desktop/keelway.1 resources/desktop/keelway-cli.1 resources/debian/changelog)
  get_filename_component(name ${doc} NAME)
  add_custom_command(OUTPUT ${KEELWAY_GZ_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${doc} ${KEELWAY_GZ_DIR}/${name}
    COMMAND ${KEELWAY_GZIP} -9nf ${KEELWAY_GZ_DIR}/${name}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${doc} VERBATIM)
  list(APPEND gz_outputs ${KEELWAY_GZ_DIR}/${name}.gz)
endforeach()
add_custom_target(keelway_gzipped_docs ALL DEPENDS ${gz_outputs})
# Built with the programs, so that installing after building only them finds the files.
add_dependencies(keelway-cli keelway_gzipped_docs)

# The newest entries of the package's changelog and of the AppStream releases name the version
# the programs print.
file(STRINGS resources/debian/changelog changelog_head LIMIT_COUNT 1)
file(READ resources/desktop/invalid.keelway.keelway.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"[^\"]*\"" newest_release "${metainfo}")
if(NOT changelog_head MATCHES "^keelway \\(([^)]*)\\) "
   OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION
   OR NOT newest_release STREQUAL "<release version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "The newest entry of resources/debian/changelog and the newest release of "
    "the metainfo must be version ${PROJECT_VERSION}")
endif()

install(FILES ${KEELWAY_GZ_DIR}/keelway-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET keelway)
  install(FILES ${KEELWAY_GZ_DIR}/keelway.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES resources/desktop/invalid.keelway.keelway.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
install(FILES resources/debian/copyright ${KEELWAY_GZ_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
# What lintian reports that cannot be met honestly, each with its reason (see the file).
install(FILES resources/debian/lintian-overrides RENAME keelway
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keelway)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "keelway developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "yacht race replay and analysis from GPS tracks")
# One line of the control file each (Debian wants at most 80 characters).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "keelway replays sailing races from the boats' GPS tracks on a chart, finds"
  "when every boat passed every mark and line, ranks the boats on elapsed or"
  "corrected time, draws graphs of course and speed, and writes leg-by-leg"
  "reports and KML documents for a virtual globe. It reads GPX, NMEA 0183, text"
  "and binary logger tracks, and every text it shows exists in Japanese and"
  "English."
  ""
  "keelway-cli does the same analysis without a window, and draws snapshots and"
  "videos of the replay. Demo races with a shoreline derived from GSHHG come"
  "with the program.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# keelway has no mail address: one under the reserved .invalid domain (RFC 6761) says so plainly
# and still has the dotted host lintian asks for.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "keelway developers <keelway@keelway.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# What the libraries do not name: Qt's platform plugins, and a font with Japanese glyphs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
# Qt plays the guns through a PulseAudio server (PipeWire's serves the same clients); without
# one keelway stays silent, so a recommendation rather than a dependency.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
include(CPack)
