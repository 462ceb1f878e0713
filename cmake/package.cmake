# `make package`: Debian packages of the install components, "kelvaron" for the
# program and "kelvaron-demo" for the demo line. The program's dependencies come
# from the shared libraries it links (dpkg-shlibdeps); the demo is
# architecture-independent data.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvaron)
set(CPACK_PACKAGE_VENDOR "Kelvaron")
set(CPACK_PACKAGE_CONTACT "Kelvaron developers <kelvaron@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cab-view video railway driving simulator")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL program)
if(TARGET demo_data)
    list(APPEND CPACK_COMPONENTS_ALL demo)
endif()

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME kelvaron)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no linked library names them: the desktop's display
# plugins and a font that has the cab's Japanese captions.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, kelvaron-demo")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "cab-view video railway driving simulator\n Drive a train from the cab along a line filmed on video: the video moves on\n with the simulated speed, and a cab panel of needles, lamps and handles\n stands around it. Keyboard, game pads, one-handle train controllers,\n joystick handle controllers and serial master controllers drive it.")

set(CPACK_DEBIAN_DEMO_PACKAGE_NAME kelvaron-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS "kelvaron (>= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEMO_DESCRIPTION
    "demo line for the Kelvaron railway driving simulator\n A generated line with its cab-view video, two runs (a local electric and an\n express diesel train) with their cab panels, sounds, voices and drive\n scripts. Installed in /usr/share/kelvaron/demo, where the program finds it.")

include(CPack)
