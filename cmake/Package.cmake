# The Debian package, built by `cpack` (./build.sh package) from exactly what the install
# rules of cmake/Install.cmake install. Its run-time dependencies are worked out from the
# program by dpkg-shlibdeps, not listed by hand.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lorvex)
set(CPACK_PACKAGE_VERSION ${LORVEX_VERSION})
set(CPACK_PACKAGE_VENDOR Tamberlo)
set(CPACK_PACKAGE_CONTACT ${LORVEX_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen arcade worm game for one or two players")
set(CPACK_PACKAGE_DESCRIPTION
"Each player steers a worm over a walled sand field; the worm moves on by
itself and turns only left or right. Food makes it longer and scores, a
bonus makes it faster or slower, and a crash into a wall or a worm ends the
round. One player, two players together, or a two-player match.
.
The difficulty level, from 1 to 20, rises with good rounds, falls with poor
ones and is kept between runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LORVEX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
