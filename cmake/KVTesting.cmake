# Helpers for the tests under tests/.
#
# kv_add_gtest(NAME <name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#              [WRAPPER <command...>] [TIMEOUT <seconds>] [JACK])
#
# Builds one GoogleTest executable and registers it with CTest as one test.
# Labels: every test gets "unit" unless it names its own; "threads" marks tests
# that the ThreadSanitizer build runs; "jack" and "x11" mark tests that start
# a JACK server or an X server through the harness in tools/.
# WRAPPER runs the executable through a command (for example tools/with-xvfb.sh).
#
# JACK: the test runs against a private JACK server (tools/with-jack.sh, label
# "jack"). CTest runs such tests of one build tree one after another (the resource
# lock "jack-server"); servers of other build trees and users may run beside them.
# The TIMEOUT counts from the test's own start: the harness stops the test then,
# and CTest's own time-out also allows for the wait for the server to start.

find_package(GTest REQUIRED)
include(GoogleTest)

function(kv_add_gtest)
  cmake_parse_arguments(T "JACK" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;WRAPPER" ${ARGN})
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
  set(ctest_timeout ${T_TIMEOUT})
  if(T_JACK)
    list(PREPEND T_WRAPPER ${PROJECT_SOURCE_DIR}/tools/with-jack.sh --time-limit ${T_TIMEOUT})
    list(APPEND T_LABELS jack)
    list(REMOVE_ITEM T_LABELS unit)
    # with-jack.sh waits up to 120 s for a free place among JACK's eight servers,
    # and a few seconds for other servers' starts.
    math(EXPR ctest_timeout "${T_TIMEOUT} + 240")
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_WRAPPER} $<TARGET_FILE:${T_NAME}>)
  # Each test program has a runtime folder of its own: the updaters it runs lock their
  # keyboards and their single instance there, and test programs that ctest runs side by
  # side (or other build trees' tests) must not find each other's locks.
  set(runtime_dir ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}.runtime)
  file(MAKE_DIRECTORY ${runtime_dir})
  file(CHMOD ${runtime_dir} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  # A property of its own, so that tests which set ENVIRONMENT keep it.
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${ctest_timeout}
                                            ENVIRONMENT_MODIFICATION "XDG_RUNTIME_DIR=set:${runtime_dir}")
  if(T_JACK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK jack-server)
  endif()
endfunction()
