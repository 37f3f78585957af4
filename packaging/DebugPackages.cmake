# Run by cpack after it has built the packages (CPACK_POST_BUILD_SCRIPTS).
# Finishes each -dbgsym package CPack's DEBUGINFO support made, as
# dh_strip makes them:
#   - md5sums names its files relative to the root (CPack writes absolute
#     staging paths there);
#   - the .debug files are data, mode 0644 (CPack keeps the binaries' 0755);
#   - /usr/share/doc/PACKAGE-dbgsym points at the documentation directory
#     of PACKAGE, whose copyright and changelog cover it (it depends on
#     PACKAGE of the same version).
find_program(VORA_DPKG_DEB dpkg-deb REQUIRED)

function(vora_run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE error OUTPUT_VARIABLE output
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${result}): ${error}")
    endif()
    set(vora_output "${output}" PARENT_SCOPE)
endfunction()

function(vora_finish_debug_package package_file)
    set(root ${package_file}.tree)
    file(REMOVE_RECURSE ${root})
    vora_run(${VORA_DPKG_DEB} --raw-extract ${package_file} ${root})
    vora_run(${VORA_DPKG_DEB} --field ${package_file} Package)
    set(package ${vora_output})
    string(REGEX REPLACE "-dbgsym$" "" parent ${package})

    file(GLOB_RECURSE debug_files LIST_DIRECTORIES false RELATIVE ${root} ${root}/usr/lib/debug/*)
    set(md5sums "")
    foreach(path IN LISTS debug_files)
        file(CHMOD ${root}/${path} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 ${root}/${path} digest)
        string(APPEND md5sums "${digest}  ${path}\n")
    endforeach()
    file(WRITE ${root}/DEBIAN/md5sums "${md5sums}")

    file(MAKE_DIRECTORY ${root}/usr/share/doc)
    file(CREATE_LINK ${parent} ${root}/usr/share/doc/${package} SYMBOLIC)

    vora_run(${VORA_DPKG_DEB} --root-owner-group --build ${root} ${package_file})
    file(REMOVE_RECURSE ${root})
    message(STATUS "Finished debug package ${package_file}")
endfunction()

foreach(package_file IN LISTS CPACK_PACKAGE_FILES)
    if(package_file MATCHES "\\.ddeb$")
        vora_finish_debug_package(${package_file})
    endif()
endforeach()
