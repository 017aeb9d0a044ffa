# The environment every test of the project runs in, defined once: engine tests
# (vantor_test), tool tests (quorelle_tool_test) and scripts/test.sh all take it from here.
# A sanitizer report fails the run; third-party leaks are suppressed in lsan.supp, each
# with its reason.
#
# QUORELLE_TEST_ENV is a list of NAME=value entries, as ctest's ENVIRONMENT property takes.
# Run as a script (`cmake -P cmake/QuorelleTestEnv.cmake`) it prints them as shell
# `export` lines, which is how scripts/test.sh reads them.
set(QUORELLE_TEST_ENV
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  foreach(entry IN LISTS QUORELLE_TEST_ENV)
    string(REGEX REPLACE "^([^=]+)=(.*)$" "export \\1='\\2'" line "${entry}")
    message("${line}")
  endforeach()
endif()
