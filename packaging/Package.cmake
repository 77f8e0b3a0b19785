# The Debian package, made by CPack (scripts/package runs it): veltra with the window,
# veltra-demo and veltra-cli, and what packaging/CMakeLists.txt adds.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Veltra developers")
set(CPACK_PACKAGE_CONTACT "${VELTRA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure USB temperature and humidity data loggers")
set(CPACK_PACKAGE_DESCRIPTION
    "The logger shows up as a USB drive. Veltra finds it, reads what the logger says
about itself and its settings, lets you edit the settings in one window, checks
them, and hands them back to the logger together with its clock, time zone and
date format. A logger whose firmware needs an upgrade gets it first.

veltra is the window; veltra-cli does the same from scripts and for many
loggers; veltra-demo shows the window with a simulated logger.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELTRA_HOMEPAGE}")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries come from the binaries; the window's font is read at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
include(CPack)
