# Generates the German locale of the host-environment test into DIR, where the test looks
# when the machine has none installed. Where localedef is missing or fails, the test
# reports itself skipped.
file(MAKE_DIRECTORY ${DIR})
find_program(localedef localedef)
if(localedef)
  execute_process(COMMAND ${localedef} -i de_DE -f UTF-8 ${DIR}/de_DE.UTF-8
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(STATUS "localedef failed (${rc}): ${err}")
  endif()
endif()
