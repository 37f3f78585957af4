# Where a Linux distribution expects each piece. Images and string tables
# are compiled into the programs as Qt resources.
# Installed as a distribution would: programs in /usr/bin, the autostart
# entry in /etc/xdg/autostart (GNUInstallDirs maps SYSCONFDIR to /etc for
# the /usr prefix).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Installation prefix" FORCE)
endif()
include(GNUInstallDirs)

install(TARGETS VUserAlert VORAMenuBar vora-agent RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/dbus/com.orvel.vora.AgentHelperService.conf
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/system.d)
install(FILES
        ${PROJECT_SOURCE_DIR}/dbus/com.orvel.vora.AgentHelperProtocol.xml
        ${PROJECT_SOURCE_DIR}/dbus/com.orvel.vora.Notify.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/interfaces)

configure_file(${CMAKE_CURRENT_LIST_DIR}/vora-menubar.desktop.in ${PROJECT_BINARY_DIR}/vora-menubar.desktop @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vora-menubar.desktop DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
install(FILES ${PROJECT_SOURCE_DIR}/src/agent/mac/StatusBar/VORAMenuBar/resources/VORAMenuBar.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME vora-menubar.png)
# The same image at the other sizes tools/artwork draws, so menus and
# launchers never scale it.
foreach(size 16 22 24 32 48 96 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/src/agent/mac/StatusBar/VORAMenuBar/resources/sizes/${size}/VORAMenuBar.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vora-menubar.png)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/agent-integration.md
        ${PROJECT_SOURCE_DIR}/docs/dbus.md
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vora-desktop)
set(CPACK_PACKAGE_VENDOR "Orvel")
set(CPACK_PACKAGE_CONTACT "VORA maintainers <vora@orvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VORA agent dialog (VUserAlert) and tray status item (VORAMenuBar)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VORA_BUILD_NUMBER})
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus")
include(CPack)
