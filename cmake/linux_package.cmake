# What `cmake --install` puts on a Linux system, and the Debian package CPack makes of it:
# the two programs, the desktop entry with the launcher that starts the window in
# $XDG_CONFIG_HOME/quillstone, the icon in the hicolor theme, and quillstone-run(1).
include(GNUInstallDirs)

set(QS_INSTALLED_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/quillstone)
set(QS_DESKTOP_LAUNCHER ${CMAKE_INSTALL_FULL_LIBEXECDIR}/quillstone/quillstone-desktop)
configure_file(packaging/linux/quillstone-desktop.in generated/quillstone-desktop @ONLY)
configure_file(packaging/linux/quillstone.desktop.in generated/quillstone.desktop @ONLY)

install(TARGETS quillstone quillstone-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/generated/quillstone-desktop
        DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillstone)
install(FILES ${CMAKE_BINARY_DIR}/generated/quillstone.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
  install(FILES packaging/icons/quillstone-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quillstone.png)
endforeach()
install(FILES packaging/icons/quillstone.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/linux/quillstone-run.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillstone)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillstone developers <quillstone@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small incremental backup tool with a window and a runner")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "small incremental backup tool with a window and a runner
 Quillstone copies every file of a source folder that is new, or newer than its
 copy, into a target folder, and never deletes anything. The window can repeat
 the backup every interval and keep each overwritten copy in a dated folder;
 quillstone-run makes one backup from the command line.")
# The paths written into the launcher and the desktop entry are those of the install prefix:
# package-linux.sh configures with /usr.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries come from dpkg-shlibdeps; the face the window's texts are sized for does not.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
