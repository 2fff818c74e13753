# cmake -DDOC=<file> -DMARKER=<marker> -DOUT=<file> -P extract_doc_block.cmake
include(${CMAKE_CURRENT_LIST_DIR}/doc_block.cmake)
orrery_doc_block("${DOC}" "${MARKER}" content)
file(WRITE "${OUT}" "${content}")
