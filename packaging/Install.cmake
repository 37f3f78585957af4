# Where a Linux distribution expects each piece. Images and string tables
# are compiled into the programs as Qt resources.
# Installed as a distribution would: programs in /usr/bin, the autostart
# entry in /etc/xdg/autostart (GNUInstallDirs maps SYSCONFDIR to /etc for
# the /usr prefix). Nothing goes below /opt or /var/opt: the agent owns its
# install directory, and the data directories are made by tmpfiles.d.
#
# Two packages (packaging/Debian.cmake): component "desktop" is
# vora-desktop, component "standin" is vora-agent-standin. An install rule
# without a COMPONENT belongs to vora-desktop.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Installation prefix" FORCE)
endif()
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME desktop)

if(NOT DEFINED VORA_DATA_ROOT)
    set(VORA_DATA_ROOT "/var/opt" CACHE PATH "Root of the agent data directory (<root>/Orvel/VORA/data/)")
endif()

set(VORA_DESKTOP_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vora-desktop)
set(VORA_STANDIN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vora-agent-standin)
set(VORA_PACKAGING_DIR ${PROJECT_BINARY_DIR}/packaging)
set(VORA_DEB_VERSION "${PROJECT_VERSION}-${VORA_BUILD_NUMBER}")

install(TARGETS VUserAlert VORAMenuBar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
install(TARGETS vora-agent RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT standin)

install(FILES ${PROJECT_SOURCE_DIR}/dbus/com.orvel.vora.AgentHelperService.conf
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/system.d)
install(FILES
        ${PROJECT_SOURCE_DIR}/dbus/com.orvel.vora.AgentHelperProtocol.xml
        ${PROJECT_SOURCE_DIR}/dbus/com.orvel.vora.Notify.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/interfaces)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/polkit/com.orvel.vora.policy
    DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)

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

# Desktop entries named after the programs' application ids, so that docks
# and task bars show their names and icon. The dialog's is hidden from
# menus: only the agent starts it, with its options. The status item's is
# shown: its menu has Quit, and the menu entry is how a user brings it back
# in the same session (it still ends at once where arn.conf disallows it).
foreach(program IN ITEMS VUserAlert VORAMenuBar)
    set(entry com.orvel.vora.${program}.desktop)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/applications/${entry}.in ${VORA_PACKAGING_DIR}/${entry} @ONLY)
    install(FILES ${VORA_PACKAGING_DIR}/${entry} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endforeach()

# tmpfiles.d belongs below /usr/lib on every architecture (not LIBDIR).
configure_file(${CMAKE_CURRENT_LIST_DIR}/tmpfiles.d/vora-desktop.conf.in ${VORA_PACKAGING_DIR}/vora-desktop.conf @ONLY)
install(FILES ${VORA_PACKAGING_DIR}/vora-desktop.conf DESTINATION lib/tmpfiles.d)

# The reason for each override is in the file itself.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/vora-desktop.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vora-desktop)

# The agent's library: component "lib" is libvora-alert1 (the shared
# library under its soname), component "dev" is libvora-alert-dev (the
# header, the .so link, pkg-config and CMake configurations).
set(VORA_ALERT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vora-alert)
install(TARGETS vora-alert EXPORT vora-alert-targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT lib NAMELINK_COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/include/vora/alert.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vora COMPONENT dev)
configure_file(${CMAKE_CURRENT_LIST_DIR}/libvora-alert/vora-alert.pc.in ${VORA_PACKAGING_DIR}/vora-alert.pc @ONLY)
install(FILES ${VORA_PACKAGING_DIR}/vora-alert.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
install(EXPORT vora-alert-targets NAMESPACE vora:: DESTINATION ${VORA_ALERT_CMAKE_DIR} COMPONENT dev)
include(CMakePackageConfigHelpers)
configure_file(${CMAKE_CURRENT_LIST_DIR}/libvora-alert/vora-alert-config.cmake.in
    ${VORA_PACKAGING_DIR}/vora-alert-config.cmake COPYONLY)
write_basic_package_version_file(${VORA_PACKAGING_DIR}/vora-alert-config-version.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${VORA_PACKAGING_DIR}/vora-alert-config.cmake ${VORA_PACKAGING_DIR}/vora-alert-config-version.cmake
    DESTINATION ${VORA_ALERT_CMAKE_DIR} COMPONENT dev)
set(VORA_ALERT_LIB_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/libvora-alert1)
set(VORA_ALERT_DEV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/libvora-alert-dev)

include(${CMAKE_CURRENT_LIST_DIR}/Documents.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Debian.cmake)
