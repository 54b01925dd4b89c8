# Tests that use the companion's fixed local port 25803, or end every adb
# process of the user, cannot run beside each other on one network. Where the
# system allows unprivileged user and network namespaces, each such test runs
# in namespaces of its own (tests/lib/own_namespaces.sh) and they run side by
# side under `ctest -j`; elsewhere they take turns through the resource lock
# adb_port.
#
#   tarvell_add_port_test(NAME <name> COMMAND <program or target> [args...]
#                         [WORKING_DIRECTORY <dir>])
#
# TARVELL_TEST_NAMESPACES (ON by default) can turn the namespaces off.
option(TARVELL_TEST_NAMESPACES
       "Run the tests of port 25803 in namespaces of their own where the system allows it" ON)

set(TARVELL_OWN_NAMESPACES ${PROJECT_SOURCE_DIR}/tests/lib/own_namespaces.sh)
set(_tarvell_namespaces OFF)
if(TARVELL_TEST_NAMESPACES)
  execute_process(COMMAND sh ${TARVELL_OWN_NAMESPACES} true
                  RESULT_VARIABLE _tarvell_namespaces_probe OUTPUT_QUIET ERROR_QUIET)
  if(_tarvell_namespaces_probe EQUAL 0)
    set(_tarvell_namespaces ON)
    message(STATUS "Tests of port 25803 run in namespaces of their own, side by side")
  else()
    message(STATUS "No user and network namespaces here (unshare -rn fails): "
                   "tests of port 25803 take turns")
  endif()
else()
  message(STATUS "TARVELL_TEST_NAMESPACES is OFF: tests of port 25803 take turns")
endif()
set(TARVELL_PORT_TESTS_ISOLATED ${_tarvell_namespaces})

function(tarvell_add_port_test)
  cmake_parse_arguments(T "" "NAME;WORKING_DIRECTORY" "COMMAND" ${ARGN})
  if(NOT T_NAME OR NOT T_COMMAND)
    message(FATAL_ERROR "tarvell_add_port_test: NAME and COMMAND are required")
  endif()
  # A target name stands for its program, as in add_test.
  list(POP_FRONT T_COMMAND _program)
  if(TARGET ${_program})
    set(_program $<TARGET_FILE:${_program}>)
  endif()
  set(_where)
  if(T_WORKING_DIRECTORY)
    set(_where WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  endif()
  if(TARVELL_PORT_TESTS_ISOLATED)
    add_test(NAME ${T_NAME} COMMAND sh ${TARVELL_OWN_NAMESPACES} ${_program} ${T_COMMAND} ${_where})
  else()
    add_test(NAME ${T_NAME} COMMAND ${_program} ${T_COMMAND} ${_where})
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK adb_port)
  endif()
endfunction()
