# Runs one host case as its own process and passes only when it exits with status 0 and
# writes nothing at all to stderr (where the C library reports a double free, and where
# memory checkers and sanitizers report theirs).
#
# cmake "-DCASE=<program>|<argument>|..." -P run_case.cmake

cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" command "${CASE}")
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL "0" OR NOT err STREQUAL "")
  list(JOIN command " " shown)
  message(FATAL_ERROR "${shown}\nexit status: ${status}\nstderr:\n${err}")
endif()
