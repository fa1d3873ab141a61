# The Debian package: `cpack -G DEB` in the `default` preset's build folder. It holds what
# `cmake --install` installs; dpkg-shlibdeps computes the dependencies from the libraries the
# executable links, so they follow Debian's own packages.
include_guard(GLOBAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sylpwatch)
set(CPACK_PACKAGE_VENDOR Tarnel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Sylpwatch team <sylpwatch@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "notifier of new posts in a social stream")
# One paragraph, broken into lines as a control file wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Sylpwatch shows a social service's web stream in its window, where the user"
       "signs in, and reloads it on a timer. A new post or a rising notification"
       "counter is announced by a log line, a balloon and an animated icon in the"
       "notification area, and a flashing window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SLP_MAKER_ORIGIN}/tarnel")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
