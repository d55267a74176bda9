# The Debian package: `make package` (or `cpack` in the build folder) writes
# veilport_<version>-<release>_<arch>.deb. The shared libraries the programs
# link (Qt 6, SQLite) become dependencies through dpkg-shlibdeps;
# what is loaded at run time without being linked is named here. The proxies
# the user chooses, tinyproxy included, are never dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veilport)
set(CPACK_PACKAGE_VENDOR "The Veilport developers")
set(CPACK_PACKAGE_CONTACT "The Veilport developers <maintainers@veilport.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VEILPORT_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://${VEILPORT_VENDOR_HOST}/features_veilport.html")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The first line is the synopsis; CPack indents the rest as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[browse without showing your IP address, erase browsing tracks
Veilport runs a local HTTP proxy, the Gateway, that forwards every browser
request to one upstream proxy you picked, so that the sites you visit see the
proxy's address instead of yours. It points the desktop's proxy settings and
the browsers' preference files at the Gateway and back, keeps a list of
tested proxies, and erases history, cookies, temporary files and other
browsing tracks on a schedule.

The package holds the Veilport program with its menu entry, Quenchor (which
closes a running Veilport) and veilportctl, the command-line front end.]=])
# libcurl is opened at the first download and libsecret at the first password
# rather than linked, to keep them out of the window's memory until then. The
# help engine reads its collection through Qt's SQLite driver, a plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4 (>= 7.85), libsecret-1-0 (>= 0.18)")
if(TARGET veilport_help)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6sql6-sqlite")
endif()
# Web pages open through xdg-open; Wayland desktops need Qt's Wayland plugin
# (X11 is served by Qt's own xcb plugin).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
