# Install rules: the programs, the menu entry, the icon, the AppStream metadata,
# the manual pages and the package's documents, each where a desktop, a software
# centre and man(1) look for them under the prefix.
include(GNUInstallDirs)

set(VEILPORT_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
set(VEILPORT_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/veilport)
set(VEILPORT_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/veilport)

install(TARGETS veilportctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The Qt programs exist only in a build with the UI.
set(VEILPORT_MAN_PAGES veilportctl)
foreach(program veilport quenchor)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
        list(APPEND VEILPORT_MAN_PAGES ${program})
    endif()
endforeach()

# The compiled help: the program looks for it in ../share/veilport beside its
# executable, and copies it into the Veilport home, where the help engine may
# write its search index.
if(TARGET veilport_help)
    install(FILES ${PROJECT_BINARY_DIR}/help/Veilport.qhc ${PROJECT_BINARY_DIR}/help/Veilport.qch
        DESTINATION ${VEILPORT_SHARE_DIR})
endif()

if(VEILPORT_BUILD_UI)
    install(FILES ${VEILPORT_DATA_DIR}/veilport.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # The menu shows the same picture the window and the tray draw.
    install(FILES ${PROJECT_SOURCE_DIR}/src/app/skin/pictures/app_icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME veilport.svg)
    # The metadata names the vendor's pages, whose host is chosen at build time.
    configure_file(${VEILPORT_DATA_DIR}/io.veilport.Veilport.metainfo.xml.in
        ${PROJECT_BINARY_DIR}/data/io.veilport.Veilport.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/data/io.veilport.Veilport.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# Manual pages go compressed, without a time stamp, as Debian wants them.
set(compressed_pages)
foreach(page IN LISTS VEILPORT_MAN_PAGES)
    set(out ${PROJECT_BINARY_DIR}/data/man/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/data/man
        COMMAND gzip -9n -c ${VEILPORT_DATA_DIR}/man/${page}.1 > ${out}
        DEPENDS ${VEILPORT_DATA_DIR}/man/${page}.1
        VERBATIM)
    list(APPEND compressed_pages ${out})
endforeach()
add_custom_target(veilport_man_pages ALL DEPENDS ${compressed_pages})
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(VEILPORT_PACKAGE_RELEASE 1)
configure_file(${VEILPORT_DATA_DIR}/changelog.Debian.in
    ${PROJECT_BINARY_DIR}/data/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/data/changelog.Debian.gz
    COMMAND gzip -9n -c ${PROJECT_BINARY_DIR}/data/changelog.Debian
        > ${PROJECT_BINARY_DIR}/data/changelog.Debian.gz
    DEPENDS ${PROJECT_BINARY_DIR}/data/changelog.Debian
    VERBATIM)
add_custom_target(veilport_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/data/changelog.Debian.gz)
install(FILES ${VEILPORT_DATA_DIR}/copyright ${PROJECT_BINARY_DIR}/data/changelog.Debian.gz
    DESTINATION ${VEILPORT_DOC_DIR})
