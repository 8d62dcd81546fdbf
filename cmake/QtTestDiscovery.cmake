# One CTest entry per Qt Test function, as gtest_discover_tests gives per test case: after each
# build the test program lists its functions, and CTest reads that list when it runs, so a
# failure names its function.
set(RUMORA_QTEST_LIST_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/QtTestList.cmake)

function(rumora_discover_qtests target)
  set(list_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_functions.cmake")
  set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_include.cmake")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DTEST_TARGET=${target} -DTEST_EXECUTABLE=$<TARGET_FILE:${target}>
            -DLIST_FILE=${list_file} -P ${RUMORA_QTEST_LIST_SCRIPT}
    BYPRODUCTS ${list_file}
    VERBATIM)
  file(WRITE ${include_file}
    "if(EXISTS \"${list_file}\")\n"
    "  include(\"${list_file}\")\n"
    "else()\n"
    "  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
