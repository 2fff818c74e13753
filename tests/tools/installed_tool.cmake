# After cmake --install, the tool answers through the installed module even when the
# build tree's module is gone: by its default path, and by the soname through its run
# path.
#
# cmake -DBUILD=<build dir> -DMODULE=<built module> -DBINDIR=<bin> -DSONAME=<soname>
#       -DWORK=<scratch dir> -P installed_tool.cmake

cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()
set(tool ${WORK}/prefix/${BINDIR}/orrery-call)

file(RENAME ${MODULE} ${MODULE}.away)
execute_process(COMMAND ${tool} sort [[10\29\2-3]] --output lines
                OUTPUT_VARIABLE by_default ERROR_VARIABLE by_default_err RESULT_VARIABLE by_default_rc)
execute_process(COMMAND ${tool} --module ${SONAME} unique [[b\2a\2b]] --output lines
                OUTPUT_VARIABLE by_soname ERROR_VARIABLE by_soname_err RESULT_VARIABLE by_soname_rc)
file(RENAME ${MODULE}.away ${MODULE})

set(problems "")
if(NOT by_default_rc EQUAL 0 OR NOT by_default STREQUAL "-3\n9\n10\n")
  string(APPEND problems "default module: status ${by_default_rc}, [${by_default}] ${by_default_err}\n")
endif()
if(NOT by_soname_rc EQUAL 0 OR NOT by_soname STREQUAL "a\nb\n")
  string(APPEND problems "--module ${SONAME}: status ${by_soname_rc}, [${by_soname}] ${by_soname_err}\n")
endif()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
