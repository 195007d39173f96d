# The Debian package: `cpack -G DEB` in the build folder gives
# zelmaro_<version>_<arch>.deb with what `cmake --install` installs under /usr.
set(CPACK_PACKAGE_NAME zelmaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${ZELMARO_COMPANY_NAME}")
set(CPACK_PACKAGE_CONTACT "${ZELMARO_COMPANY_NAME} <${ZELMARO_MAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "writes the exposure times of a remote release's shot log into camera images")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${ZELMARO_INTERNET}/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What shlibdeps cannot see: the tool it runs, the font its texts are laid out
# for and Qt's German texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libimage-exiftool-perl, fonts-liberation2, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "A remote release logs, for every shot, the moment it fired and the exposure
time it used. Zelmaro brings that shot log and a directory of camera images
together: it reads each image's creation date and exposure time through
exiftool, reads the log (Zelmaro.txt or the log memos of a Palm Desktop user),
pairs images and log entries by time under a clock offset and a tolerance,
and writes the logged exposure time into the images the user checks.

The package holds the desktop program zelmaro and zelmaro-cli, the same
workflow for scripts and machines without a display; both speak German or
English after the user's language.")

include(CPack)
