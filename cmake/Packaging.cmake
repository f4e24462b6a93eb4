# The Debian package: `cmake --build build --target package` (or cpack -G DEB
# in the build folder) writes sismavue_<version>_<arch>.deb from the same
# build. Runtime dependencies come from dpkg-shlibdeps. No Homepage field
# until the project has a site.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sismavue)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${SISMAVUE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for building and ground vibration records")
set(CPACK_PACKAGE_DESCRIPTION
  "Sismavue opens a record of velocity samples from a vibration or seismic\n"
  "recorder, shows its waveform and its 2 Hz-weighted slow level in dB against\n"
  "the 71 dB perception threshold, reports the maximum peak and RMS velocity,\n"
  "and computes the averaged spectrum of a segment selected with the mouse.\n"
  "sismavue-report prints the same figures for many files from the command\n"
  "line.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
