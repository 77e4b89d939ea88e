# `cmake --install` lays out a desktop program under the prefix; CPack turns the
# same layout into a Debian package (scripts/package.sh).
include(cmake/InstallDocs.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nuthumb)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "NuThumb developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "thumbnail maker for folders of BMP and JPEG images")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "NuThumb takes every BMP or JPEG image of one folder, scales it so that the\n"
    "height, the width or the larger side gets a fixed length (30 to 640 pixels)\n"
    "and writes BMP or JPEG thumbnails, named with a prefix and a suffix, into\n"
    "another folder. With scaling off it converts BMP to JPEG and back. Runs can\n"
    "be kept in a batch list and carried out in order, with a log.\n"
    "\n"
    "The package holds the window program nuthumb and the command-line program\n"
    "nuthumb-cli, both in Japanese or, under an English locale, English.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
# The project has no real address yet: replace this placeholder, and the one in
# packaging/changelog.Debian, before the package is published.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "NuThumb developers <maintainer@nuthumb.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries linked directly come from dpkg-shlibdeps. What the program loads at
# run time is added by hand: Qt's SVG plugins draw the window icon, and the IPA
# gothic font stands in for the font the Japanese window texts ask for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-ipafont-gothic")
set(CPACK_NUTHUMB_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianStrip.cmake)
include(CPack)
