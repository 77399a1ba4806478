# Installation (cmake --install) and the Debian package (cpack -G DEB).
include(GNUInstallDirs)

# The installed shared data folder, for the runtime library search; a
# player moved with its tree still finds it beside bin/ (../share/pelto5).
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/platform/UserFolders.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             PELTO5_INSTALL_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}/pelto5")

install(TARGETS pelto5 pelto5-plugin-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET pelto5-pack)
  install(TARGETS pelto5-pack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET runtime-library)
  install(FILES ${CMAKE_BINARY_DIR}/peltort5.pml ${CMAKE_BINARY_DIR}/demo.pp5
          DESTINATION ${CMAKE_INSTALL_DATADIR}/pelto5)
endif()
set(PELTO5_LINUX_DATA ${CMAKE_SOURCE_DIR}/data/linux)
install(FILES ${PELTO5_LINUX_DATA}/pelto5.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PELTO5_LINUX_DATA}/pelto5-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME pelto5.xml)
foreach(size 48 256)
  install(FILES ${PELTO5_LINUX_DATA}/pelto5-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME pelto5.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/man/pelto5.1 ${CMAKE_SOURCE_DIR}/data/man/pelto5-pack.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME pelto5)
set(CPACK_PACKAGE_VENDOR "pelto5")
set(CPACK_PACKAGE_CONTACT "pelto5 developers <pelto5@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for picture-and-text scenarios (.pp5 packages)")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The runtime packages of the shared libraries the programs link, found
# by dpkg-shlibdeps, and the gothic face the message boxes are drawn with
# (it stands in for "ＭＳ ゴシック"); the mincho face the scripts may ask for,
# a file chooser for starting without a file, and the speech service that
# reading aloud speaks through (its library is loaded when asked for), are
# recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-mincho, zenity | kdialog, libspeechd2, speech-dispatcher, espeak-ng")
include(CPack)
