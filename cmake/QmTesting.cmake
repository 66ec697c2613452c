# qm_add_test(NAME SOURCES ... LIBRARIES ... [NEEDS_DISPLAY])
# One test executable = one CTest test, run under Wine through the emulator.
function(qm_add_test name)
  cmake_parse_arguments(ARG "NEEDS_DISPLAY" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  qm_judge_gtest_output(${name})
  if(ARG_NEEDS_DISPLAY)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QM_NEEDS_DISPLAY=1")
  endif()
endfunction()

# Under Wine a crash on a thread can end a test process with exit code 0, so a
# GoogleTest program passes only when it says so itself, and fails when it
# reports a failure or Wine reports a crash.
function(qm_judge_gtest_output test_name)
  set_tests_properties(${test_name} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]|Unhandled exception|Unhandled page fault")
endfunction()

# qm_add_local_server_run(NAME TARGET)
# Runs the test program TARGET once more with the Outlook stand-in as the local
# server OutlookStandin.exe (QM_OUTLOOK_SERVER=local), in the Wine prefix where
# the fixture `local_server_prefix` registered it. One such run at a time: they
# share the one server of that prefix. The server is a single-threaded
# apartment, whose calls Wine delivers as window messages: it needs a display.
set(QM_LOCAL_SERVER_PREFIX "${CMAKE_BINARY_DIR}/wineprefix-local-server")
function(qm_add_local_server_run name target)
  add_test(NAME ${name}
    COMMAND "${PROJECT_SOURCE_DIR}/tools/wine-run" --prefix "${QM_LOCAL_SERVER_PREFIX}"
            "$<TARGET_FILE:${target}>" --gtest_color=no)
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED local_server_prefix RESOURCE_LOCK outlook_local_server
    ENVIRONMENT "QM_OUTLOOK_SERVER=local;QM_NEEDS_DISPLAY=1")
  qm_judge_gtest_output(${name})
endfunction()
