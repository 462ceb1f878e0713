# The line studio: its model (free of Qt), the optical flow behind its
# interface, and the tests of both. Included from the top-level CMakeLists.txt
# once the core, the program and the tests exist.

file(GLOB STUDIO_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../src/studio/*.cpp)
add_library(kelvaron_studio STATIC ${STUDIO_SOURCES})
target_link_libraries(kelvaron_studio PUBLIC kelvaron_core)

file(GLOB STUDIO_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../tests/studio/*_test.cpp)
foreach(studio_test_source ${STUDIO_TEST_SOURCES})
    get_filename_component(studio_test_name ${studio_test_source} NAME_WE)
    if(TARGET ${studio_test_name})
        target_link_libraries(${studio_test_name} PRIVATE kelvaron_studio)
    endif()
endforeach()

# The round trip covers the demo lines too where the build makes them.
if(TARGET demo_data AND TARGET studio_line_test)
    target_compile_definitions(studio_line_test PRIVATE KELVARON_DEMO_DATA="${DEMO_DATA_DIR}")
    add_dependencies(studio_line_test demo_data)
endif()

# Optical flow from Debian's OpenCV video module, which ships no CMake or
# pkg-config description of its own.
find_path(OPENCV_INCLUDE_DIR opencv2/video/tracking.hpp PATH_SUFFIXES opencv4 REQUIRED)
find_library(OPENCV_VIDEO_LIBRARY opencv_video REQUIRED)
find_library(OPENCV_IMGPROC_LIBRARY opencv_imgproc REQUIRED)
find_library(OPENCV_CORE_LIBRARY opencv_core REQUIRED)
add_library(kelvaron_platform_opencv STATIC
    ${CMAKE_CURRENT_LIST_DIR}/../src/platform/opencv/opencv_optical_flow.cpp)
target_include_directories(kelvaron_platform_opencv SYSTEM PRIVATE ${OPENCV_INCLUDE_DIR})
target_link_libraries(kelvaron_platform_opencv PUBLIC kelvaron_core ${OPENCV_VIDEO_LIBRARY}
                      ${OPENCV_IMGPROC_LIBRARY} ${OPENCV_CORE_LIBRARY})

# GPX files are read with Qt's XML reader, which needs no display.
target_sources(kelvaron_platform_qt PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/../src/platform/qt/qt_gpx_reader.cpp)

# The studio's windows are part of the desktop front end.
target_link_libraries(kelvaron_gui PUBLIC kelvaron_studio kelvaron_platform_opencv)

# The flow measured on the demo video against the speed it was made with.
if(TARGET demo_data AND TARGET demo_flow_accuracy_test)
    target_link_libraries(demo_flow_accuracy_test PRIVATE kelvaron_platform_opencv)
    target_compile_definitions(demo_flow_accuracy_test PRIVATE
        KELVARON_DEMO_DATA="${DEMO_DATA_DIR}")
    add_dependencies(demo_flow_accuracy_test demo_data)
endif()

if(TARGET studio_bench)
    target_link_libraries(studio_bench PRIVATE kelvaron_studio kelvaron_platform_opencv)
endif()
