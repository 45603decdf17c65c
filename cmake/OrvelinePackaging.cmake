# Linux install rules and the Debian package (`cmake --install`, `--target package`):
#   <prefix>/lib/orveline/           Orveline.scr, Orveline.dll and the orveline command
#   <prefix>/bin/orveline            a link to the command
#   <prefix>/libexec/xscreensaver/   the XScreenSaver hack (a link) and, in share/, its description
#   <prefix>/share/applications/     the menu entry "Orveline settings" and the MATE/Xfce theme
#   <prefix>/share/icons, man, doc   icon, orveline(1), copyright and changelog
#   <prefix>/lib/systemd/user/, <prefix>/share/orveline/
#                                    the idle watcher as a user unit and as an autostart entry
# The package's library dependencies come from dpkg-shlibdeps; the dialog's Japanese font is added.
if(WIN32)
  return()
endif()

include(GNUInstallDirs)

# NOTE: GNUInstallDirs puts libraries under lib/<multiarch> on Debian; the programs are no
# libraries and go where Debian keeps a package's private programs.
set(ORVELINE_INSTALL_PROGRAMDIR lib/orveline)
set(ORVELINE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/orveline)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS orveline_scr orveline_renderer RUNTIME DESTINATION ${ORVELINE_INSTALL_PROGRAMDIR})
install(PROGRAMS ${ORVELINE_DIST_DIR}/orveline DESTINATION ${ORVELINE_INSTALL_PROGRAMDIR})

# The command finds its programs through the link it was started by, so both entries are links.
file(MAKE_DIRECTORY ${staged}/bin ${staged}/hack)
file(CREATE_LINK ../lib/orveline/orveline ${staged}/bin/orveline SYMBOLIC)
file(CREATE_LINK ../../lib/orveline/orveline ${staged}/hack/orveline SYMBOLIC)
install(FILES ${staged}/bin/orveline DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${staged}/hack/orveline DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)

install(FILES ${packaging}/orveline.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${packaging}/orveline-screensaver.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers RENAME orveline.desktop)
install(FILES ${packaging}/orveline-settings.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/orveline.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES ${packaging}/copyright DESTINATION ${ORVELINE_INSTALL_DOCDIR})
# The idle watcher, for the user to enable: `systemctl --user enable --now orveline-idle.service`,
# or a copy of the entry in ~/.config/autostart (an entry in /etc/xdg/autostart would start it
# for every user).
install(FILES ${packaging}/orveline-idle.service DESTINATION lib/systemd/user)
install(FILES ${packaging}/orveline-idle.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/orveline)

# Debian keeps manual pages and changelogs compressed, without a time stamp in the gzip header.
find_program(ORVELINE_GZIP gzip REQUIRED)
foreach(page orveline.1 changelog)
  add_custom_command(OUTPUT ${staged}/${page}.gz
    COMMAND ${ORVELINE_GZIP} -9nc ${packaging}/${page} > ${staged}/${page}.gz
    DEPENDS ${packaging}/${page} VERBATIM)
endforeach()
add_custom_target(orveline_compressed_docs ALL DEPENDS ${staged}/orveline.1.gz ${staged}/changelog.gz)
install(FILES ${staged}/orveline.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${staged}/changelog.gz DESTINATION ${ORVELINE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orveline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orveline developers <maintainers@orveline.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver of glowing streamlines in a changing wind field")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Glowing streamlines of a slowly changing wind field drift towards you in the
dark, drawn with OpenGL, with background music from an audio CD or an MP3 or
WAV file if you like. It runs inside XScreenSaver or the MATE screensaver, or
full screen on its own, on X11 and on Wayland desktops, started by its own idle
watcher (orveline --on-idle, shipped as a systemd user unit and an autostart
entry); 'orveline settings' chooses the music.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ORVELINE_MAKER_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk")
# Qt's Wayland platform draws the launcher's forms on a Wayland desktop without an X display.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xautolock, swayidle")
include(CPack)
