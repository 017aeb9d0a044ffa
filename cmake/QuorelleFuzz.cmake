# Fuzz targets. Each target is one LLVMFuzzerTestOneInput over SOURCES, linked with LIBS:
#
#   quorelle_fuzz_target(NAME <family>.<name> SOURCES <files...> [LIBS <libs...>]
#                        CORPUS <seed directory> [TIMEOUT <seconds>])
#
# With QUORELLE_FUZZ (a clang build) the program is a libFuzzer binary: everything in the
# build is compiled with coverage for the fuzzer, and scripts/fuzz.sh runs the target on a
# copy of its seed corpus. Otherwise (the normal build) the program gets a small driver that
# runs each file it is given once, and ctest runs it over the seed corpus as test NAME.
# The program's target is "fuzz_<name>" (the part of NAME after its family); it is left in
# QUORELLE_FUZZ_TARGET for further settings. Every target and its corpus directory are
# listed in the file fuzz-targets.txt of the build directory (scripts/fuzz.sh reads it).
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/QuorelleTestEnv.cmake)

option(QUORELLE_FUZZ "Build the fuzz targets with libFuzzer (needs clang)" OFF)
if(QUORELLE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUORELLE_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
set(QUORELLE_FUZZ_LIST ${CMAKE_BINARY_DIR}/fuzz-targets.txt)
file(WRITE ${QUORELLE_FUZZ_LIST} "")

function(quorelle_fuzz_target)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;CORPUS;TIMEOUT" "SOURCES;LIBS")
  if(NOT arg_NAME MATCHES "^(engine|tools)\\.fuzz\\.([a-z0-9]+)$" OR NOT arg_SOURCES
     OR NOT arg_CORPUS)
    message(FATAL_ERROR "quorelle_fuzz_target: NAME <family>.fuzz.<name>, SOURCES and CORPUS are required")
  endif()
  set(target fuzz_${CMAKE_MATCH_2})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 300)
  endif()
  get_filename_component(corpus ${arg_CORPUS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})

  if(QUORELLE_FUZZ)
    add_executable(${target} ${arg_SOURCES})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${target} ${arg_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/common/fuzz_driver.cpp)
  endif()
  target_link_libraries(${target} PRIVATE quorelle_fuzzcommon ${arg_LIBS})
  file(APPEND ${QUORELLE_FUZZ_LIST} "${target} ${corpus}\n")

  if(BUILD_TESTING AND NOT QUORELLE_FUZZ)
    add_test(NAME ${arg_NAME} COMMAND ${target} ${corpus})
    set_tests_properties(${arg_NAME} PROPERTIES ENVIRONMENT "${QUORELLE_TEST_ENV}"
                         TIMEOUT ${arg_TIMEOUT})
  endif()
  set(QUORELLE_FUZZ_TARGET ${target} PARENT_SCOPE)
endfunction()
