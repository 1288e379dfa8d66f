# GoogleTest tests as CTest tests, one per test suite rather than one per test. Under Wine each
# CTest test is a process of its own, and starting one costs more than most tests take; a
# suite's tests run one after another in one process instead, every one of them, and a
# failing test fails its suite's group with the test's name in the output.
#
#   sweepwise_add_test_groups(TARGET [FILTER gtest-filter] [PROPERTIES name value...])
#
# The suites are listed when CTest starts (--gtest_list_tests, through the cross-compiling
# emulator), so a suite added to the sources needs no new configure. Each group may take a
# minute per test it holds (at least two).

function(sweepwise_add_test_groups target)
  cmake_parse_arguments(arg "" "FILTER" "PROPERTIES" ${ARGN})
  set(emulator "")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  # A target may be split by filters into groups with different properties: one file each.
  string(MD5 filter_key "${arg_FILTER}")
  string(SUBSTRING "${filter_key}" 0 8 filter_key)
  set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${target}-groups-${filter_key}.cmake")
  file(GENERATE OUTPUT "${include_file}" CONTENT "\
set(group_program [==[$<TARGET_FILE:${target}>]==])
set(group_emulator [==[${emulator}]==])
set(group_filter [==[${arg_FILTER}]==])
set(group_properties [==[${arg_PROPERTIES}]==])
set(group_target [==[${target}]==])
include([==[${PROJECT_SOURCE_DIR}/cmake/TestGroupsAdd.cmake]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()
