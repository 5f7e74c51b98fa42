# `cpack -G DEB` in a build folder makes vantorel_<version>_<arch>.deb from the
# install rules. Its Depends are computed by dpkg-shlibdeps (package dpkg-dev)
# from the libraries the binaries link, so they follow the Qt the package was
# built against instead of a list kept by hand. scripts/package-check.sh
# builds, installs and checks it.
set(VANTOREL_PACKAGE_MAINTAINER "Vantorel developers <vantorel@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME vantorel)
set(CPACK_PACKAGE_VENDOR "Vantorel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Debian wants the long description wrapped; CPack keeps the line breaks.
set(CPACK_PACKAGE_DESCRIPTION [=[
Vantorel charts how your score grew over a game of Civilization III.
Type the score you are aiming for, open a saved game, and Vantorel draws
your running mean score turn by turn against a reference curve for that
target. Open several saves to compare their curves.

The companion command vantorel-cli decompresses saves, prints their
score history as CSV and draws the chart to a PNG file.]=])
set(CPACK_PACKAGE_HOMEPAGE_URL "https://vantorel.github.io/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CONTACT "${VANTOREL_PACKAGE_MAINTAINER}")
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANTOREL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# A Debian package names its licence in /usr/share/doc/<package>/copyright,
# pointing at the system's copy of the GPL instead of repeating it.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/copyright [=[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Vantorel

Files: *
Copyright: 2026 The Vantorel developers
License: GPL-3.0+
 This program is free software: you can redistribute it and/or modify it
 under the terms of the GNU General Public License as published by the Free
 Software Foundation, either version 3 of the License, or (at your option)
 any later version.
 .
 On Debian systems, the complete text of the GNU General Public License
 version 3 can be found in "/usr/share/common-licenses/GPL-3".
]=])
include(GNUInstallDirs)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantorel)

include(CPack)
