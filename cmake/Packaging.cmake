# The Debian package: `cpack -G DEB` in a Release build tree. Its Depends come from the
# shared libraries the programs link (dpkg-shlibdeps): the Qt 6 and libzip runtimes.
set(CPACK_PACKAGE_NAME zrb-editor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZRB Editor")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the motion models of a vehicle simulation")
set(CPACK_PACKAGE_DESCRIPTION
    "ZRB Editor edits .zrb motion models (mass, horsepower, friction, turn rate, ...), \
estimates moments of inertia and packs models into the simulation's .sqs archive. \
The command-line companion zrb shows, checks, sets and compares many models at once.")
# The package installs where the build was configured to install (scripts/dev configures
# /usr), so that the paths written into the desktop entry are those the package holds.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZRB Editor maintainers <maintainers@zrb-editor.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
