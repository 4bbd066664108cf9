# Plays one scenario file with the real program on a database and user folder of its own.
#   cmake -DPROGRAM=... -DSCENARIO=... -DWORK=... [-DTOOL=...] [-DPOSTGRES=ON] -P run_scenario.cmake
# TOOL is the back-end tool that the scenario step `backend` runs (HALBERON_BACKEND_TOOL).
# With POSTGRES the database is a new schema on the cluster named by HALBERON_TEST_PG_URL; without
# that variable the test says so and counts as skipped.
# Header lines of the scenario steer the run:
#   # args: OPTIONS...          more options for the program (e.g. --fault CASES=drop)
#   # expect-exit: N            the exit code the run must end with (default 0)
#   # expect-failure: TEXT      the program's error output must contain TEXT
#   # expect-log: TEXT          the error log (halberon.log in the user folder) must contain TEXT
#   # expect-file: PATH         the run must leave this file (PATH relative to the run's folder)
foreach(var PROGRAM SCENARIO WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_scenario.cmake needs -D${var}=...")
  endif()
endforeach()

file(STRINGS "${SCENARIO}" header
  REGEX "^# (args|expect-exit|expect-failure|expect-log|expect-file):")
set(extra_args "")
set(expected_exit 0)
set(expected_failure "")
set(expected_log "")
set(expected_files "")
foreach(line IN LISTS header)
  if(line MATCHES "^# args:(.*)$")
    separate_arguments(more UNIX_COMMAND "${CMAKE_MATCH_1}")
    list(APPEND extra_args ${more})
  elseif(line MATCHES "^# expect-exit: *([0-9]+)")
    set(expected_exit ${CMAKE_MATCH_1})
  elseif(line MATCHES "^# expect-failure: *(.*)$")
    set(expected_failure "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^# expect-log: *(.*)$")
    list(APPEND expected_log "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^# expect-file: *(.*)$")
    list(APPEND expected_files "${CMAKE_MATCH_1}")
  endif()
endforeach()

set(database "${WORK}/halberon.sqlite")
if(POSTGRES)
  if("$ENV{HALBERON_TEST_PG_URL}" STREQUAL "")
    message("SKIPPED: HALBERON_TEST_PG_URL is not set (scripts/test.sh starts a PostgreSQL cluster).")
    return()
  endif()
  string(TIMESTAMP stamp "%H%M%S")
  string(RANDOM LENGTH 6 ALPHABET "abcdefghijklmnopqrstuvwxyz" tag)
  get_filename_component(name "${SCENARIO}" NAME_WE)
  set(separator "?")
  if("$ENV{HALBERON_TEST_PG_URL}" MATCHES "\\?")
    set(separator "&")
  endif()
  set(database "$ENV{HALBERON_TEST_PG_URL}${separator}schema=e2e_${name}_${stamp}_${tag}")
endif()

if(DEFINED TOOL)
  set(ENV{HALBERON_BACKEND_TOOL} "${TOOL}")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(
  COMMAND "${PROGRAM}" --database "${database}" --user-folder "${WORK}/user"
          --script "${SCENARIO}" --out "${WORK}/out" ${extra_args} -platform offscreen
  WORKING_DIRECTORY "${WORK}"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 240)

set(log "")
if(EXISTS "${WORK}/out/scenario.log")
  file(READ "${WORK}/out/scenario.log" log)
endif()
set(report "exit ${rc}\n--- output\n${out}\n--- errors\n${err}\n--- ${WORK}/out/scenario.log\n${log}")
if(NOT "${rc}" STREQUAL "${expected_exit}")
  message(FATAL_ERROR "The scenario ended with ${rc}, expected ${expected_exit}.\n${report}")
endif()
if(expected_failure)
  string(FIND "${err}" "${expected_failure}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The failure did not say: ${expected_failure}\n${report}")
  endif()
endif()
if(expected_log)
  set(error_log "")
  if(EXISTS "${WORK}/user/halberon.log")
    file(READ "${WORK}/user/halberon.log" error_log)
  endif()
  foreach(text IN LISTS expected_log)
    string(FIND "${error_log}" "${text}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "The error log does not say: ${text}\n--- halberon.log\n${error_log}\n${report}")
    endif()
  endforeach()
endif()
foreach(path IN LISTS expected_files)
  if(NOT EXISTS "${WORK}/${path}")
    message(FATAL_ERROR "The run left no ${path}.\n${report}")
  endif()
endforeach()
message(STATUS "${report}")
