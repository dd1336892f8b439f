# `cmake --install` makes a desktop program of the build: the two programs, the menu entry and
# its icon under the hicolor theme, so that menus find it by the name "tamboro3". The decoder
# library and the empty song table are carried inside the programs and written out at start-up,
# so nothing else is installed.
include(GNUInstallDirs)

install(TARGETS tamboro3 tamboro3-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/tamboro3.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/program.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME tamboro3.svg)
