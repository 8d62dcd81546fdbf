# Run after a Qt Test program is built: asks it for its test functions and writes one add_test
# per function into LIST_FILE.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          ${TEST_EXECUTABLE} -functions
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${TEST_TARGET} could not list its test functions (${status}):\n${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(content "")
set(count 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)\\(\\)$")
    set(function ${CMAKE_MATCH_1})
    string(APPEND content
      "add_test([=[${TEST_TARGET}.${function}]=] [=[${TEST_EXECUTABLE}]=] [=[${function}]=])\n"
      "set_tests_properties([=[${TEST_TARGET}.${function}]=] PROPERTIES "
      "ENVIRONMENT QT_QPA_PLATFORM=offscreen)\n")
    math(EXPR count "${count} + 1")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${TEST_TARGET} listed no test functions")
endif()
file(WRITE ${LIST_FILE} "${content}")
