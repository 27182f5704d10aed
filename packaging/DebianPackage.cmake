# The Debian package quarn-tools_<version>_<arch>.deb, made by `cpack` or the
# `package` target. Its run-time dependencies come from dpkg-shlibdeps.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QUARN tools")
set(CPACK_PACKAGE_CONTACT "QUARN tools maintainers <quarn-tools@quarn.github.io>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quarn.github.io")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor, converter and command line for QUARN relay controllers")
set(CPACK_PACKAGE_DESCRIPTION
"Desktop tools for the QUARN relay controller, which switches eight relays by
timers, its own inputs and the relays themselves according to a small state
machine read from an XML file.

QuarnTool edits the timers and relay conditions, saves the state-machine file,
uploads it to the controller and switches single relays by hand. morvex turns
a UML state machine exported as XMI into a state-machine file and uploads it.
quarnctl does both from the command line, and quarnsim simulates a controller
on this machine for trying the tools without hardware.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window programs draw their SVG icons through Qt's SVG plug-ins, which
# are loaded at run time and so escape dpkg-shlibdeps.
if(TARGET QuarnTool OR TARGET morvex)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
endif()
# The programs are built with debug information; the package carries none.
set(CPACK_STRIP_FILES ON)
# Only what the install rules name; no build paths in the archive.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SOURCE_GENERATOR "")

include(CPack)
