# VORA_HARDENING compiles and links every target with the hardening flags
# Debian builds its packages with, as dpkg-buildflags reports them
# (DEB_BUILD_MAINT_OPTIONS=hardening=+all unless the environment sets it):
# stack protector, _FORTIFY_SOURCE, format checks, RELRO and BIND_NOW.
# Optimisation and debug flags stay with the build type, so the flags are
# added without dpkg's "-g" and "-O2" ("-g -O2 -fstack-protector-strong" ->
# "-fstack-protector-strong").
#
# dpkg's -ffile-prefix-map makes the source paths in the debug information
# relative to the source tree, as in Debian's packages: run gdb from there
# (or "set substitute-path . /path/to/source").
#
# On by default for optimised builds. Off for Debug (_FORTIFY_SOURCE needs
# optimisation) and for sanitizer and fuzzing builds, which never ship.
set(_vora_hardening_default ON)
if(VORA_SANITIZE OR VORA_FUZZ OR CMAKE_BUILD_TYPE STREQUAL "Debug")
    set(_vora_hardening_default OFF)
endif()
option(VORA_HARDENING "Build with the hardening flags of dpkg-buildflags" ${_vora_hardening_default})

function(vora_dpkg_buildflag name out)
    if(DEFINED ENV{DEB_BUILD_MAINT_OPTIONS})
        set(options "$ENV{DEB_BUILD_MAINT_OPTIONS}")
    else()
        set(options "hardening=+all")
    endif()
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=${options}" ${VORA_DPKG_BUILDFLAGS} --get ${name}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        RESULT_VARIABLE result
        OUTPUT_VARIABLE flags
        ERROR_VARIABLE error
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "dpkg-buildflags --get ${name} failed (${result}): ${error}")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9sgz]?)$")
    list(JOIN flags " " flags)
    set(${out} "${flags}" PARENT_SCOPE)
endfunction()

if(VORA_HARDENING)
    find_program(VORA_DPKG_BUILDFLAGS dpkg-buildflags)
    if(NOT VORA_DPKG_BUILDFLAGS)
        message(FATAL_ERROR "VORA_HARDENING needs dpkg-buildflags (package dpkg-dev; "
                            "scripts/install-deps.sh installs it) or -DVORA_HARDENING=OFF")
    endif()
    vora_dpkg_buildflag(CPPFLAGS _vora_cppflags)
    vora_dpkg_buildflag(CXXFLAGS _vora_cxxflags)
    vora_dpkg_buildflag(LDFLAGS _vora_ldflags)
    # CMake has no preprocessor-only flags variable: CPPFLAGS go with the
    # compiler flags, as Debian's CMake helper passes them.
    string(APPEND CMAKE_CXX_FLAGS " ${_vora_cppflags} ${_vora_cxxflags}")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${_vora_ldflags}")
    string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${_vora_ldflags}")
    string(APPEND CMAKE_MODULE_LINKER_FLAGS " ${_vora_ldflags}")
    message(STATUS "Hardening: ${_vora_cppflags} ${_vora_cxxflags} | ${_vora_ldflags}")
endif()
