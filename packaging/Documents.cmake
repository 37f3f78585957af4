# Documents built for the packages: the manual pages from their scdoc
# sources in docs/man/, and gzip -9n copies of the documentation and the
# Debian changelog, as Debian policy wants them installed. "-n" leaves the
# name and time stamp out, so the same sources give the same bytes.
find_program(VORA_SCDOC scdoc)
find_program(VORA_GZIP gzip)
if(NOT VORA_SCDOC OR NOT VORA_GZIP)
    message(FATAL_ERROR "The manual pages need scdoc and gzip (scripts/install-deps.sh installs them)")
endif()

set(VORA_DOCUMENTS_DIR ${PROJECT_BINARY_DIR}/packaging)
# The date the manual pages show: that of the changelog's latest entry
# (Tue, 08 Dec 2026 09:00:00 +0000), not the day of the build.
set(VORA_RELEASE_EPOCH 1796720400)
set(VORA_DOCUMENTS)

# OUTPUT = gzip -9n SOURCE; OUTPUT joins the files the "documents" target builds.
function(vora_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "\"$0\" -9nc \"$1\" >\"$2\"" ${VORA_GZIP} ${source} ${output}
        DEPENDS ${source}
        COMMENT "Compressing ${output}"
        VERBATIM)
    set(VORA_DOCUMENTS ${VORA_DOCUMENTS} ${output} PARENT_SCOPE)
endfunction()

# Manual page PAGE ("VUserAlert.1") from docs/man/PAGE.scd, with the data
# root of this build filled in, installed gzipped into section SECTION.
function(vora_manual page section component)
    set(source ${VORA_DOCUMENTS_DIR}/man/${page}.scd)
    set(roff ${VORA_DOCUMENTS_DIR}/man/${page})
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.scd ${source} @ONLY)
    add_custom_command(OUTPUT ${roff}
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VORA_RELEASE_EPOCH}
                sh -c "\"$0\" <\"$1\" >\"$2\"" ${VORA_SCDOC} ${source} ${roff}
        DEPENDS ${source}
        COMMENT "Formatting manual page ${page}"
        VERBATIM)
    vora_gzip(${roff} ${roff}.gz)
    set(VORA_DOCUMENTS ${VORA_DOCUMENTS} PARENT_SCOPE)
    install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${component})
endfunction()

vora_manual(VUserAlert.1 1 desktop)
vora_manual(VORAMenuBar.1 1 desktop)
vora_manual(vora-agent.1 1 standin)
vora_manual(vora_alert.3 3 dev)

# What an administrator reads first.
set(VORA_GUIDES
    ${PROJECT_SOURCE_DIR}/docs/deployment.md
    ${PROJECT_SOURCE_DIR}/docs/agent-integration.md
    ${PROJECT_SOURCE_DIR}/docs/dbus.md
    ${PROJECT_SOURCE_DIR}/docs/tray.md)
foreach(guide IN LISTS VORA_GUIDES)
    get_filename_component(name ${guide} NAME)
    vora_gzip(${guide} ${VORA_DOCUMENTS_DIR}/doc/${name}.gz)
    install(FILES ${VORA_DOCUMENTS_DIR}/doc/${name}.gz DESTINATION ${VORA_DESKTOP_DOC_DIR} COMPONENT desktop)
endforeach()

# Every package carries the copyright file and the changelog in its own
# documentation directory.
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${VORA_DOCUMENTS_DIR}/changelog.Debian @ONLY)
vora_gzip(${VORA_DOCUMENTS_DIR}/changelog.Debian ${VORA_DOCUMENTS_DIR}/changelog.Debian.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${VORA_DOCUMENTS_DIR}/changelog.Debian.gz
    DESTINATION ${VORA_DESKTOP_DOC_DIR} COMPONENT desktop)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${VORA_DOCUMENTS_DIR}/changelog.Debian.gz
    DESTINATION ${VORA_STANDIN_DOC_DIR} COMPONENT standin)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${VORA_DOCUMENTS_DIR}/changelog.Debian.gz
    DESTINATION ${VORA_ALERT_LIB_DOC_DIR} COMPONENT lib)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${VORA_DOCUMENTS_DIR}/changelog.Debian.gz
    DESTINATION ${VORA_ALERT_DEV_DOC_DIR} COMPONENT dev)

add_custom_target(documents ALL DEPENDS ${VORA_DOCUMENTS})
