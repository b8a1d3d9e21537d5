# The Debian package, made by CPack (scripts/package): the install rules' files under /usr, the
# libraries' packages found by dpkg-shlibdeps, and the version from the project.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvimo2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "The Orvimo developers <orvimo@orvimo.org>")
set(CPACK_DEBIAN_FILE_NAME orvimo2_${PROJECT_VERSION}_amd64.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://orvimo.org/)
# CPack puts the blank in front of each line of the long description and the " ." for an empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "audio recorder for WAV files, by hand or on a schedule
Orvimo captures sound from a recording device, or from what the computer
plays, into uncompressed PCM WAV files, from one small window: a record
button, the recorded time and the recording time still free on the disk,
a level meter, the device and format, and the output file name.

The file name is a template with a running number and the date and time;
a scheduler starts and stops recordings unattended, then does nothing,
shows an alert, starts the next file or powers the computer off. The same
can be given on the command line, and without a display it records
without a window.")
# The libraries the program links come from dpkg-shlibdeps; Qt loads its platform plugins at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# SDL is loaded at run time, for capture where no PulseAudio server answers.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, pulseaudio | pipewire-pulse, libsdl2-2.0-0")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
include(CPack)
