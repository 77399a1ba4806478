# Installation (cmake --install) and the Debian package (cpack -G DEB).
include(GNUInstallDirs)

# The installed shared data folder, for the runtime library search; a
# player moved with its tree still finds it beside bin/ (../share/pelto5).
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/platform/UserFolders.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             PELTO5_INSTALL_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}/pelto5")

install(TARGETS pelto5 pelto5-plugin-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The installed programs resolve every symbol at start, so the relocation
# tables can be read-only the whole run (libraries loaded later, the speech
# service's and the image plug-ins, are bound when they are loaded).
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  foreach(target pelto5 pelto5-plugin-host pelto5-pack ppm-spi)
    if(TARGET ${target})
      target_link_options(${target} PRIVATE -Wl,-z,now)
    endif()
  endforeach()
endif()
if(TARGET pelto5-pack)
  install(TARGETS pelto5-pack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET runtime-library)
  install(FILES ${CMAKE_BINARY_DIR}/peltort5.pml ${CMAKE_BINARY_DIR}/demo.pp5
          DESTINATION ${CMAKE_INSTALL_DATADIR}/pelto5)
endif()
# The desktop files keep the short name "pelto5" (a file association a user
# made names pelto5.desktop); the AppStream component has the reverse-DNS id
# below, which the Flatpak build also gives the desktop entry and the icon.
set(PELTO5_APP_ID io.github.pelto5.pelto5)
set(PELTO5_LINUX_DATA ${CMAKE_SOURCE_DIR}/data/linux)
install(FILES ${PELTO5_LINUX_DATA}/pelto5.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PELTO5_LINUX_DATA}/pelto5.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME ${PELTO5_APP_ID}.metainfo.xml)
install(FILES ${PELTO5_LINUX_DATA}/pelto5-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME pelto5.xml)
foreach(size 48 256)
  install(FILES ${PELTO5_LINUX_DATA}/pelto5-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME pelto5.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/man/pelto5.1 ${CMAKE_SOURCE_DIR}/data/man/pelto5-pack.1
              ${CMAKE_SOURCE_DIR}/data/man/pelto5-plugin-host.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PELTO5_LINUX_DATA}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME pelto5)
set(CPACK_PACKAGE_VENDOR "pelto5")
# A distributor building the package sets their own address here.
set(PELTO5_PACKAGE_MAINTAINER "pelto5 developers <pelto5@pelto5.github.io>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${PELTO5_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for picture-and-text scenarios (.pp5 packages)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "pelto5 plays interactive picture-and-text scenarios: .pp5 packages,
executables with an appended package, game folders and plain script files,
with their pictures, music, sound and saves, in a window that scales to any
size or full screen. It reads image formats beyond its own through image
plug-ins run in a separate helper process, can read the message pages
aloud, and checks scenarios for faults without playing them.
.
pelto5-pack creates, lists, extracts and verifies the packages, the runtime
library and save files. The package includes the runtime library and a
short demo.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian puts the programs of packages in "games" into /usr/games; these
# stay in /usr/bin, where `cmake --install` puts them, so the package is a
# graphical program of "x11" (the desktop entry and AppStream file still
# file it under games).
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Control files with the modes Debian prescribes, whatever the umask of the
# build; the programs stripped. (CPack's own debugging-symbols package is
# not made: CMake 3.25 writes its md5sums with the staging folder's paths,
# so dpkg could not verify it.)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The changelog and the manual pages go into the package compressed (the
# plain install keeps them as they are), see cmake/DebianStaging.cmake.
set(CPACK_PELTO5_CHANGELOG ${PELTO5_LINUX_DATA}/changelog)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/DebianStaging.cmake)
# The runtime packages of the shared libraries the programs link, found
# by dpkg-shlibdeps, and the gothic face the message boxes are drawn with
# (it stands in for "ＭＳ ゴシック"); the mincho face the scripts may ask for,
# a face with the Chinese characters a translation may hold,
# a file chooser for starting without a file, and the speech service that
# reading aloud speaks through (its library is loaded when asked for), are
# recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-mincho, fonts-noto-cjk | fonts-droid-fallback | fonts-wqy-microhei, zenity | kdialog, libspeechd2, speech-dispatcher, espeak-ng")
include(CPack)

# The Debian package, built from this build folder and checked by lintian,
# desktop-file-validate and appstreamcli where they are installed. Not in a
# sanitizer build, which is never packaged (lintian reads the sanitizer's
# own strings in its programs).
if(PELTO5_TESTS AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT PELTO5_SANITIZE)
  add_test(NAME InstallLinuxPackage
           COMMAND ${CMAKE_SOURCE_DIR}/tests/packaging/check-linux-package ${CMAKE_BINARY_DIR})
  set_tests_properties(InstallLinuxPackage PROPERTIES SKIP_RETURN_CODE 77)
endif()
