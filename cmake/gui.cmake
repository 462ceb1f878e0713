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
# The review's drawing needs no widgets: the headless runner draws it too.
list(FILTER GUI_SOURCES EXCLUDE REGEX "/review_(chart|picture|module)\\.cpp$")

# The review of a run drawn with QtGui and written as PNG or SVG (Qt SVG), for
# the window and, as the module kelvaron-review.so, for the headless runner,
# which loads it only when asked for a picture.
find_package(Qt6 REQUIRED COMPONENTS Svg)
add_library(kelvaron_review_drawing STATIC
    ${CMAKE_CURRENT_LIST_DIR}/../src/gui/review_chart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../src/gui/review_picture.cpp)
target_link_libraries(kelvaron_review_drawing PUBLIC kelvaron_core Qt6::Gui Qt6::Svg)
set_target_properties(kelvaron_review_drawing PROPERTIES POSITION_INDEPENDENT_CODE ON)
add_library(kelvaron-review MODULE ${CMAKE_CURRENT_LIST_DIR}/../src/gui/review_module.cpp)
target_link_libraries(kelvaron-review PRIVATE kelvaron_review_drawing)
set_target_properties(kelvaron-review PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY
                      ${CMAKE_BINARY_DIR})
add_dependencies(kelvaron kelvaron-review)
if(TARGET run_bench)
    target_link_libraries(run_bench PRIVATE kelvaron_review_drawing)
endif()

add_library(kelvaron_gui STATIC ${GUI_SOURCES})
target_link_libraries(kelvaron_gui PUBLIC kelvaron_core kelvaron_platform_qt
                      kelvaron_platform_ffmpeg kelvaron_review_drawing Qt6::Widgets
                      Qt6::SerialPort PkgConfig::OPENAL PkgConfig::SDL2 PkgConfig::SNDFILE)

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
