# Run by CTest at its start (see TestGroups.cmake): lists the suites of `group_program` and
# adds one test per suite. Expects group_program, group_emulator, group_filter,
# group_properties and group_target.

if(NOT EXISTS "${group_program}")
  add_test("${group_target}-not-built" "${group_program}")
  return()
endif()
set(list_filter "")
if(group_filter)
  set(list_filter "--gtest_filter=${group_filter}")
endif()
execute_process(COMMAND ${group_emulator} "${group_program}" --gtest_list_tests ${list_filter}
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 300)
if(NOT status EQUAL 0)
  # A program that cannot list its tests fails as a test of its own, with what it said.
  add_test("${group_target}-listing" "${CMAKE_COMMAND}" -E false)
  message(WARNING "${group_program} --gtest_list_tests: ${status}\n${errors}")
  return()
endif()

# "Suite." lines (a type parameter may follow after "#"), each followed by "  Test" lines.
string(REPLACE "\r" "" listing "${listing}")
string(REPLACE ";" "," listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(suite "")
set(counts "")
set(suites "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
    set(suite "${CMAKE_MATCH_1}")
    list(APPEND suites "${suite}")
    set(count_${suite} 0)
  elseif(suite AND line MATCHES "^  [^ ]")
    math(EXPR count_${suite} "${count_${suite}} + 1")
  endif()
endforeach()

# Negative patterns of the filter still apply inside each suite.
set(excluded "")
if(group_filter MATCHES "^-(.*)$")
  set(excluded "-${CMAKE_MATCH_1}")
elseif(group_filter MATCHES "-(.*)$")
  set(excluded "-${CMAKE_MATCH_1}")
endif()
foreach(suite IN LISTS suites)
  math(EXPR timeout "${count_${suite}} * 60")
  if(timeout LESS 120)
    set(timeout 120)
  endif()
  add_test("${suite}" ${group_emulator} "${group_program}" "--gtest_filter=${suite}.*${excluded}")
  set_tests_properties("${suite}" PROPERTIES ${group_properties} TIMEOUT ${timeout})
endforeach()
