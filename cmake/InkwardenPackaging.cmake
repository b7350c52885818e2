# `cpack -G DEB` in a build folder (see `make package`) turns the install rules
# into a Debian package. The Qt libraries the program links against become the
# package's dependencies through dpkg-shlibdeps (Debian's dpkg-dev).
set(CPACK_PACKAGE_NAME inkwarden)
set(CPACK_PACKAGE_VENDOR "Inkwarden")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Write in timed, distraction-free sessions")
# Kept to short lines: dpkg shows the description as written.
set(CPACK_PACKAGE_DESCRIPTION [[
Inkwarden is a quiet place to write: one window for rich text with bold,
italic and highlighting, saved as RTF. Focus sessions, started by hand or at
the same time every day, keep the writing window in front until the time is up.]])
set(CPACK_PACKAGE_INSTALL_DIRECTORY inkwarden)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Inkwarden developers <developers@inkwarden.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The faces that stand in for the four writing fonts (see the README), and a
# dictionary for Enchant, which comes through the libraries while no
# dictionary does.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-dejavu-core, fonts-urw-base35, hunspell-en-us | hunspell-dictionary")
# Qt loads its Wayland platform as a plugin, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)

set(CPACK_GENERATOR DEB)

include(CPack)
