# The desktop front end: Qt widgets over the run, with the real sound (OpenAL),
# joystick (SDL2) and serial (QtSerialPort) services. Included at the end of
# the top-level CMakeLists.txt, once the core, the program and the tests exist.

find_package(Qt6 REQUIRED COMPONENTS Widgets SerialPort)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)

file(GLOB_RECURSE GUI_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_LIST_DIR}/../src/gui/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../src/platform/openal/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../src/platform/sdl/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../src/platform/qt/*.cpp)
# The picture and GPX readers are in the platform library every program uses.
list(FILTER GUI_SOURCES EXCLUDE REGEX "/qt_(picture_loader|gpx_reader)\\.cpp$")
add_library(kelvaron_gui STATIC ${GUI_SOURCES})
target_link_libraries(kelvaron_gui PUBLIC kelvaron_core kelvaron_platform_qt
                      kelvaron_platform_ffmpeg Qt6::Widgets Qt6::SerialPort
                      PkgConfig::OPENAL PkgConfig::SDL2 PkgConfig::SNDFILE)

# The desktop program, which `kelvaron` becomes for every mode with windows.
file(GLOB DESKTOP_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../src/app/desktop/*.cpp)
add_executable(kelvaron-desktop ${DESKTOP_APP_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/../src/app/usage.cpp)
target_link_libraries(kelvaron-desktop PRIVATE kelvaron_gui)
add_dependencies(kelvaron kelvaron-desktop)

# The front end's tests need it and their application object; the rest of the
# tests need neither.
file(GLOB GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../tests/gui/*_test.cpp)
foreach(gui_test_source ${GUI_TEST_SOURCES})
    get_filename_component(gui_test_name ${gui_test_source} NAME_WE)
    if(TARGET ${gui_test_name})
        target_sources(${gui_test_name} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../tests/gui/gui_test_app.cpp)
        target_link_libraries(${gui_test_name} PRIVATE kelvaron_gui)
    endif()
endforeach()
