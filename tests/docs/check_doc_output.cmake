# Runs a program built from a document's example and compares what it prints with the
# output block the document shows for it (line ends compared without CR).
# cmake -DPROGRAM=<exe> [-DEMULATOR=<runner>] [-DARGS=<args>] -DDOC=<file> -DMARKER=<m> -P ...
include(${CMAKE_CURRENT_LIST_DIR}/doc_block.cmake)
orrery_doc_block("${DOC}" "${MARKER}" expected)
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" ${ARGS}
                OUTPUT_VARIABLE actual RESULT_VARIABLE status)
string(REPLACE "\r" "" actual "${actual}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} exited with ${status}; it printed:\n${actual}")
endif()
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "${PROGRAM} printed\n${actual}\nbut ${DOC} shows\n${expected}")
endif()
