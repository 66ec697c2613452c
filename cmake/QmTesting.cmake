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
