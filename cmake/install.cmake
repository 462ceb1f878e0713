# What `cmake --install` puts on a system, in the places the desktop looks:
# the program, its menu entry, icons, AppStream metainfo, manual page and the
# controller access rules (component "program"), and the generated demo line
# (component "demo", a package of its own so that the program stays small).

include(GNUInstallDirs)

set(KELVARON_APP_ID org.kelvaron.Kelvaron)
set(KELVARON_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging)
# Under the prefix: /usr gives the folder udev reads; elsewhere, copy or link
# the file into /etc/udev/rules.d.
set(KELVARON_UDEV_RULES_DIR "lib/udev/rules.d" CACHE PATH
    "Where the controller access rules are installed")

# Every program the build makes for users. The command hands the modes with
# windows to its companion program and loads the video reader as a module,
# when the build makes them; both are found in libexec/kelvaron.
install(TARGETS kelvaron RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
foreach(companion kelvaron-desktop kelvaron-video kelvaron-review)
    if(TARGET ${companion})
        install(TARGETS ${companion}
                RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kelvaron COMPONENT program
                LIBRARY DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kelvaron COMPONENT program)
    endif()
endforeach()

install(FILES ${KELVARON_PACKAGING_DIR}/${KELVARON_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
install(FILES ${KELVARON_PACKAGING_DIR}/${KELVARON_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT program)
install(FILES ${KELVARON_PACKAGING_DIR}/${KELVARON_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT program)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../docs/kelvaron.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
install(FILES ${KELVARON_PACKAGING_DIR}/70-kelvaron-controllers.rules
        DESTINATION ${KELVARON_UDEV_RULES_DIR} COMPONENT program)

# Desktops that draw no SVG icons take these, rendered from the one drawing.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(KELVARON_ICON_SIZES 16 24 32 48 64 128 256 512)
set(KELVARON_ICON_PNGS)
foreach(size ${KELVARON_ICON_SIZES})
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${KELVARON_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size}
                ${KELVARON_PACKAGING_DIR}/${KELVARON_APP_ID}.svg -o ${png}
        DEPENDS ${KELVARON_PACKAGING_DIR}/${KELVARON_APP_ID}.svg
        VERBATIM)
    list(APPEND KELVARON_ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            COMPONENT program)
endforeach()
add_custom_target(icons ALL DEPENDS ${KELVARON_ICON_PNGS})

if(TARGET demo_data)
    install(DIRECTORY ${DEMO_DATA_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvaron/demo
            COMPONENT demo PATTERN ".stamp" EXCLUDE)
endif()

# The install tree and its validators, on a staging folder of the build.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(APPSTREAMCLI appstreamcli REQUIRED)
add_test(NAME install_tree
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/../scripts/check-install-tree.sh
                 ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/install-tree-test)
set_tests_properties(install_tree PROPERTIES LABELS install RESOURCE_LOCK install_tree)
