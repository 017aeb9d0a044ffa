# Registration of the engine tests: every engine test is declared with vantor_test().
#
#   vantor_test(NAME <ctest name> SOURCES <files...>
#               [LIBS <extra libs...>] [ARGS <args...>] [SCENARIOS <scenarios...>]
#               [DEPENDS <targets...>] [DEFINITIONS <defs...>] [TIMEOUT <seconds>])
#
# Builds one test program from SOURCES, linked with vantortesting (and so with the engine
# and Qt6::Test) and LIBS, and registers it with ctest as NAME. The name follows the
# folder: engine/core/tests/stages/tst_conditions.cpp is "engine.core.stages.conditions".
#
# With SCENARIOS the program is registered once per scenario, as NAME.<scenario>, each run
# with ARGS followed by the scenario's name as its last argument. Use this when a case needs
# a whole engine init() (the engine is a singleton, so such a case needs its own process);
# the program picks the case from its last argument.
#
# The program's target is NAME with the dots and dashes turned into underscores
# ("engine_core_locale"); it is also left in VANTOR_TEST_TARGET for further settings.
# DEPENDS names targets built before the test (e.g. the vantor program it runs);
# DEFINITIONS are compile definitions such as VANTOR_PROGRAM="$<TARGET_FILE:vantor>".
#
# Every engine test runs in the same environment: the project's sanitizer settings
# (QUORELLE_TEST_ENV), the offscreen Qt platform and no locale variables, so that texts are
# those of the install file's default language. The time-out is VANTOR_TEST_TIMEOUT
# seconds unless TIMEOUT says otherwise.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/QuorelleTestEnv.cmake)

set(VANTOR_TEST_TIMEOUT 300)
set(VANTOR_TEST_ENV ${QUORELLE_TEST_ENV}
    "QT_QPA_PLATFORM=offscreen" "LC_ALL=" "LC_MESSAGES=" "LC_CTYPE=" "LANG=" "LANGUAGE=")

function(vantor_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT"
                        "SOURCES;LIBS;ARGS;SCENARIOS;DEPENDS;DEFINITIONS")
  if(NOT arg_NAME OR NOT arg_SOURCES)
    message(FATAL_ERROR "vantor_test: NAME and SOURCES are required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "vantor_test(${arg_NAME}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_NAME MATCHES "^engine\\.")
    message(FATAL_ERROR "vantor_test(${arg_NAME}): engine test names start with \"engine.\"")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT ${VANTOR_TEST_TIMEOUT})
  endif()

  string(REGEX REPLACE "[.-]" "_" target "${arg_NAME}")
  add_executable(${target} ${arg_SOURCES})
  target_link_libraries(${target} PRIVATE vantortesting ${arg_LIBS})
  if(arg_DEFINITIONS)
    target_compile_definitions(${target} PRIVATE ${arg_DEFINITIONS})
  endif()
  if(arg_DEPENDS)
    add_dependencies(${target} ${arg_DEPENDS})
  endif()

  if(arg_SCENARIOS)
    set(tests "")
    foreach(scenario IN LISTS arg_SCENARIOS)
      add_test(NAME ${arg_NAME}.${scenario} COMMAND ${target} ${arg_ARGS} ${scenario})
      list(APPEND tests ${arg_NAME}.${scenario})
    endforeach()
  else()
    add_test(NAME ${arg_NAME} COMMAND ${target} ${arg_ARGS})
    set(tests ${arg_NAME})
  endif()
  set_tests_properties(${tests} PROPERTIES ENVIRONMENT "${VANTOR_TEST_ENV}" TIMEOUT ${arg_TIMEOUT})
  set(VANTOR_TEST_TARGET ${target} PARENT_SCOPE)
endfunction()
