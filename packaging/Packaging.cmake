# Installation and the Debian package (cpack -G DEB in the build folder).
# The program goes to /usr/bin; an installed copy keeps its data files in the user's own
# data folder (see ProgramDir), because /usr/bin is not writable by the user.
include(GNUInstallDirs)

# What software centres show: the AppStream metainfo file, named after the application's id.
set(TAVLORA_APP_ID io.github.tavlora.tavlora)
set(TAVLORA_HOMEPAGE "https://github.com/tavlora/tavlora" CACHE STRING "The project's home page")
set(TAVLORA_SCREENSHOT "${TAVLORA_HOMEPAGE}/raw/main/docs/main-window.png"
    CACHE STRING "The main window's screenshot that software centres show")
configure_file(${CMAKE_CURRENT_LIST_DIR}/tavlora.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${TAVLORA_APP_ID}.metainfo.xml @ONLY)

install(TARGETS tavlora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavlora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${TAVLORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The terms, machine-readable, where Debian looks for them.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavlora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavlora.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavlora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tavlora developers <tavlora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Catalogue of video collections (星澜影库通)")
set(CPACK_PACKAGE_DESCRIPTION
    "Registers the video files of chosen folders and types, probes their size, duration and picture size, plays them in an embedded pane, copies, moves and renames them, and exports the register as text or a workbook.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# Libraries are found by dpkg-shlibdeps; what is loaded at run time is named here: the
# GStreamer plugins that read and play the formats, the CJK font of the captions and Qt's
# Chinese translations of the standard dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, fonts-noto-cjk, qt6-translations-l10n")
include(CPack)
