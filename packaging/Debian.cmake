# The Debian packages, made by `cpack -G DEB` in the build directory:
#   vora-desktop        VUserAlert, VORAMenuBar and everything they need
#   vora-agent-standin  the stand-in agent, for integrators and test rigs
#   libvora-alert1      the agent's library (lib/), libvora-alert-dev its
#                       header, link and configurations
# and for each a -dbgsym package (.ddeb) with the debug symbols that CPack
# splits off the binaries it strips.

# The autostart entry is the administrator's to change: a conffile.
file(CONFIGURE OUTPUT ${VORA_PACKAGING_DIR}/debian/conffiles
    CONTENT "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart/vora-menubar.desktop\n")

# The maintainer scripts carry the directories of the tmpfiles.d entry, one
# "path mode owner group" a line: the postinst makes them itself where
# systemd-tmpfiles is missing, and the postrm removes them on purge, when the
# entry itself is gone.
file(STRINGS ${VORA_PACKAGING_DIR}/vora-desktop.conf vora_tmpfiles_entries REGEX "^[^#]")
set(vora_directories "")
foreach(entry IN LISTS vora_tmpfiles_entries)
    string(REGEX REPLACE "[ \t]+" ";" fields "${entry}")
    list(GET fields 0 type)
    if(NOT type STREQUAL "d")
        message(FATAL_ERROR "vora-desktop.conf: the maintainer scripts make and remove \"d\" lines only: ${entry}")
    endif()
    # "-" is tmpfiles' default: mode 0755, owner and group root.
    list(GET fields 1 path)
    list(GET fields 2 mode)
    list(GET fields 3 owner)
    list(GET fields 4 group)
    string(REGEX REPLACE "^-$" "0755" mode "${mode}")
    string(REGEX REPLACE "^-$" "root" owner "${owner}")
    string(REGEX REPLACE "^-$" "root" group "${group}")
    list(APPEND vora_directories "${path} ${mode} ${owner} ${group}")
endforeach()
list(JOIN vora_directories "\n" VORA_TMPFILES_DIRECTORIES)
foreach(script IN ITEMS postinst postrm)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in ${VORA_PACKAGING_DIR}/debian/${script} @ONLY)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vora-desktop)
set(CPACK_PACKAGE_VENDOR "Orvel")
set(CPACK_PACKAGE_CONTACT "VORA maintainers <vora@orvel.example>")
# Each package's description starts with its own summary line; a common
# summary would be put in front of both.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VORA_BUILD_NUMBER})
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebugPackages.cmake
    ${CMAKE_CURRENT_LIST_DIR}/libvora-alert/LibraryPackage.cmake)
# A shlibs file beside the symbols file, for tools that read only that.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME vora-desktop)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "dbus")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_CONTROL_EXTRA
    ${VORA_PACKAGING_DIR}/debian/conffiles ${VORA_PACKAGING_DIR}/debian/postinst
    ${VORA_PACKAGING_DIR}/debian/postrm)
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION "VORA agent dialog and tray status item
The desktop side of the VORA endpoint-management agent:
 * VUserAlert, the dialog the agent starts to tell the logged-in user
   something or ask a question (Yes/No, OK, snooze, several pages),
   steered through marker files and answering through result files;
 * VORAMenuBar, the tray status item showing whether the agent is
   connected, with Run Inventory and Restart Agent.
The package also holds their desktop entries, the session autostart entry,
the D-Bus policy and interfaces of the agent's helper, its polkit actions
and a tmpfiles.d entry that creates the agent data directory
${VORA_DATA_ROOT}/Orvel/VORA/data/.
The agent itself is installed separately.")

set(CPACK_DEBIAN_STANDIN_PACKAGE_NAME vora-agent-standin)
set(CPACK_DEBIAN_STANDIN_PACKAGE_DEPENDS "vora-desktop (= ${VORA_DEB_VERSION}), libvora-alert1 (= ${VORA_DEB_VERSION})")
# dpkg-shlibdeps finds libvora-alert.so.1 in the build (it is in no
# installed package yet); the dependency on it is the line above.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
set(CPACK_DEBIAN_STANDIN_DESCRIPTION "stand-in for the VORA agent, for integration and tests
vora-agent plays the agent's part towards VUserAlert and VORAMenuBar:
it starts dialogs and steers them through marker files, prints their
answers as JSON, serves the agent helper on the system bus and posts the
agent's notifications.
It is meant for integrators and test rigs. It can own the helper's bus
name when run as root, so do not install it on machines that run the
real agent.")

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libvora-alert1)
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/libvora-alert/symbols ${CMAKE_CURRENT_LIST_DIR}/libvora-alert/triggers)
set(CPACK_DEBIAN_LIB_DESCRIPTION "library for agents that start VORA user dialogs
libvora-alert is what an agent links to start a VUserAlert dialog for a
user, steer it through its marker files and read the answer it leaves,
with the safety rules of the marker directory built in: markers handed to
the dialog's user and published whole, every wait bounded, answers
believed only from the user's own plain files.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libvora-alert-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libvora-alert1 (= ${VORA_DEB_VERSION})")
set(CPACK_DEBIAN_DEV_DESCRIPTION "library for agents that start VORA user dialogs - development files
libvora-alert is what an agent links to start a VUserAlert dialog for a
user, steer it through its marker files and read the answer it leaves.
This package holds the C header vora/alert.h, the link to the shared
library, its pkg-config and CMake package configurations and the manual
page vora_alert(3).")

include(CPack)
