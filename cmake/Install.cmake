# Installing like any desktop program: the executable, a desktop entry, the icon in the
# hicolor theme and an AppStream metainfo file; and a Debian package built from the same rules.
include(GNUInstallDirs)

set(KITE_APP_ID "org.tarvexkite.kite")

install(TARGETS tarvex-kite RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${KITE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/src/app/icons/tarvex-kite.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${KITE_APP_ID}.svg)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${KITE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tarvex-kite")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Tarvex Kite developers")
set(CPACK_PACKAGE_CONTACT "Tarvex Kite developers <maintainers@tarvexkite.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the track info files of the racing game Tarvex")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvex Kite lists every tag of a track's info file with a help text, edits values in place\n"
    "or through sliders, numeric fields, a colour dialog and name fields, saves the file back in a\n"
    "fixed layout, and renames the track folder and its files when the track is renamed.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins (X11, Wayland) are a separate package on Debian; without them no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
