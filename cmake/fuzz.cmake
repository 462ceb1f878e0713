# The fuzzers (`make fuzz`): one libFuzzer program per reader, built with clang
# and the address and undefined-behaviour sanitizers over the whole core.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzzers need clang: configure with CXX=clang++")
endif()

file(GLOB FUZZER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzzer.cpp)
add_library(kelvaron_fuzz_support STATIC ${CMAKE_SOURCE_DIR}/fuzz/fuzz_support.cpp)
target_include_directories(kelvaron_fuzz_support PUBLIC ${CMAKE_SOURCE_DIR}/fuzz ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(kelvaron_fuzz_support PRIVATE
    KELVARON_FIXTURES="${CMAKE_SOURCE_DIR}/tests/data/fixtures"
    KELVARON_FUZZ_SEEDS="${CMAKE_SOURCE_DIR}/fuzz/corpus")

foreach(fuzzer_source ${FUZZER_SOURCES})
    get_filename_component(fuzzer_name ${fuzzer_source} NAME_WE)
    add_executable(${fuzzer_name} ${fuzzer_source})
    target_link_libraries(${fuzzer_name} PRIVATE kelvaron_fuzz_support kelvaron_core
                          ${KELVARON_PLATFORM_LIBS})
    target_link_options(${fuzzer_name} PRIVATE -fsanitize=fuzzer)
endforeach()
