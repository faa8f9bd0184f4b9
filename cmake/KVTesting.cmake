# Helpers for the tests under tests/.
#
# kv_add_gtest(NAME <name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#              [WRAPPER <command...>] [TIMEOUT <seconds>])
#
# Builds one GoogleTest executable and registers it with CTest as one test.
# Labels: every test gets "unit" unless it names its own; "threads" marks tests
# that the ThreadSanitizer build runs; "jack" and "x11" mark tests that start
# a JACK server or an X server through the harness in tools/.
# WRAPPER runs the executable through a command (for example tools/with-jack.sh).

find_package(GTest REQUIRED)
include(GoogleTest)

function(kv_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;WRAPPER" ${ARGN})
  if(NOT T_SOURCES)
    return() # a folder whose tests have not been written yet
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main kv_warnings)
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_WRAPPER} $<TARGET_FILE:${T_NAME}>)
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()
