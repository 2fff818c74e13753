# Counts, with callgrind, the instructions the module spends on each fixed request of
# the instruction-count host and compares them with the committed budgets. Instruction
# counts repeat where times do not, so a slowdown shows here even on a busy machine.
#
#   cmake -DVALGRIND=... -DHOST=... -DBUDGETS=file [-DUPDATE=ON] -P check_instruction_counts.cmake
#
# With UPDATE=ON the measured counts are printed in the budget file's format instead.
cmake_minimum_required(VERSION 3.25)

set(ALLOWANCE_PERCENT 10)

file(STRINGS ${BUDGETS} lines REGEX "^[a-z]")
set(failures 0)
set(report "")
foreach(line IN LISTS lines)
  string(REGEX MATCH "^([a-z0-9_]+) +([0-9]+)$" matched "${line}")
  if(NOT matched)
    message(FATAL_ERROR "malformed budget line: ${line}")
  endif()
  set(name ${CMAKE_MATCH_1})
  set(budget ${CMAKE_MATCH_2})
  execute_process(
    COMMAND ${VALGRIND} --tool=callgrind --callgrind-out-file=/dev/null
            --collect-atstart=no --toggle-collect=orrery_counted_call ${HOST} ${name}
    RESULT_VARIABLE status
    ERROR_VARIABLE log
    OUTPUT_QUIET)
  string(REGEX MATCH "Collected : ([0-9]+)" collected "${log}")
  if(NOT status EQUAL 0 OR NOT collected)
    message(FATAL_ERROR "${name}: the counted run failed (status ${status}):\n${log}")
  endif()
  set(count ${CMAKE_MATCH_1})
  if(UPDATE)
    string(APPEND report "${name} ${count}\n")
    continue()
  endif()
  math(EXPR limit "${budget} + ${budget} * ${ALLOWANCE_PERCENT} / 100")
  math(EXPR permille "${count} * 1000 / ${budget}")
  if(count GREATER limit)
    math(EXPR failures "${failures} + 1")
    message("OVER   ${name}: ${count} instructions, budget ${budget} (${permille} per mille)")
  else()
    message("ok     ${name}: ${count} instructions, budget ${budget} (${permille} per mille)")
  endif()
endforeach()

if(UPDATE)
  message("${report}")
elseif(failures GREATER 0)
  message(FATAL_ERROR "${failures} request(s) over budget by more than ${ALLOWANCE_PERCENT}%")
endif()
