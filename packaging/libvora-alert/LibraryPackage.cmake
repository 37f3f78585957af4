# Run by cpack after it has built the packages (CPACK_POST_BUILD_SCRIPTS).
# libvora-alert1 as Debian builds a library package today: the dynamic
# linker's cache is refreshed by the ldconfig trigger (the "triggers"
# control file), so the postinst and postrm CPack adds for every package
# with a library below /usr/lib, which only call ldconfig, are dropped.
find_program(VORA_DPKG_DEB dpkg-deb REQUIRED)

foreach(package_file IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(name ${package_file} NAME)
    if(NOT name MATCHES "^libvora-alert1_.*\\.deb$")
        continue()
    endif()
    set(root ${package_file}.tree)
    file(REMOVE_RECURSE ${root})
    execute_process(COMMAND ${VORA_DPKG_DEB} --raw-extract ${package_file} ${root} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "dpkg-deb --raw-extract ${package_file} failed")
    endif()
    file(REMOVE ${root}/DEBIAN/postinst ${root}/DEBIAN/postrm)
    execute_process(COMMAND ${VORA_DPKG_DEB} --root-owner-group --build ${root} ${package_file} RESULT_VARIABLE result
        OUTPUT_QUIET)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "dpkg-deb --build ${package_file} failed")
    endif()
    file(REMOVE_RECURSE ${root})
    message(STATUS "Finished library package ${package_file}")
endforeach()
