# `cpack --preset release` makes the Debian package of the program, the simulated
# radio and their manual pages (installed under /usr).
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zizuvu")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware download and setup terminal for 900 MHz radio modems")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A console tool for technicians servicing 900 MHz spread-spectrum radio modems
at the bench: it loads the firmware image built into it into the radio over a
serial port and gives a pass-through terminal to the radio's setup menu, from
one full-screen menu. zizuvu-radio, a simulated radio on a pseudo-terminal,
comes with it.")
set(CPACK_PACKAGE_CONTACT "ZIzuvu maintainers <zizuvu@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The libraries it links (libc, libstdc++, libgcc) named from the binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
include(CPack)
