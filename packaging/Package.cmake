# The Debian package, built by CPack (see scripts/package, which also validates it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME murva-recorder)
set(CPACK_PACKAGE_VENDOR Murva)
set(CPACK_PACKAGE_CONTACT "Murva <dev@murva.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "records your calls into your meeting notes")
set(CPACK_PACKAGE_DESCRIPTION
  "Murva Recorder sits in the system tray and notices when a call starts in
Zoom, Teams, Webex, Slack or a browser meeting page. It records the
microphone and the computer's sound, and if wanted the call's window or
screen, into one MP4 file, works out who spoke when, and saves the
recording to the meeting-notes service.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY murva-recorder)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Sound goes through the desktop's sound server; xdg-open opens the sign-in page.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, xdg-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
