# The examples of docs/hosts.md, run against the built module: the C host is compiled
# from the document and must print what the document shows, and every transcript is
# sent to the module by the end-to-end tests.
set(ORRERY_HOSTS_DOC ${PROJECT_SOURCE_DIR}/docs/hosts.md)
set(ORRERY_DOC_DIR ${CMAKE_CURRENT_BINARY_DIR}/docs)

add_custom_command(
  OUTPUT ${ORRERY_DOC_DIR}/host.c
  COMMAND ${CMAKE_COMMAND} -DDOC=${ORRERY_HOSTS_DOC} -DMARKER=host.c -DOUT=${ORRERY_DOC_DIR}/host.c
          -P ${CMAKE_CURRENT_LIST_DIR}/extract_doc_block.cmake
  DEPENDS ${ORRERY_HOSTS_DOC} ${CMAKE_CURRENT_LIST_DIR}/doc_block.cmake
  COMMENT "Extracting the C host example from docs/hosts.md")
add_executable(orrery_doc_host ${ORRERY_DOC_DIR}/host.c)
target_link_libraries(orrery_doc_host PRIVATE orrery_options ${CMAKE_DL_LIBS})
# Linked by the C++ driver: a sanitized module needs the sanitizers' C++ runtime parts,
# which a C link leaves out.
set_target_properties(orrery_doc_host PROPERTIES LINKER_LANGUAGE CXX)
add_dependencies(orrery_doc_host orrery)
if(WIN32)
  set(ORRERY_DOC_HOST_ARGS orrery.dll)  # found beside the program
else()
  set(ORRERY_DOC_HOST_ARGS $<TARGET_FILE:orrery>)
endif()
add_test(NAME doc_host_example
         COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:orrery_doc_host>
                 "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -DARGS=${ORRERY_DOC_HOST_ARGS}
                 -DDOC=${ORRERY_HOSTS_DOC} "-DMARKER=host.c output"
                 -P ${CMAKE_CURRENT_LIST_DIR}/check_doc_output.cmake)

add_custom_command(
  OUTPUT ${ORRERY_DOC_DIR}/hosts_md.inc
  COMMAND ${CMAKE_COMMAND} -DIN=${ORRERY_HOSTS_DOC} -DOUT=${ORRERY_DOC_DIR}/hosts_md.inc
          -P ${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake
  DEPENDS ${ORRERY_HOSTS_DOC} ${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake)
target_sources(orrery_e2e_tests PRIVATE ${ORRERY_DOC_DIR}/hosts_md.inc)
target_include_directories(orrery_e2e_tests PRIVATE ${ORRERY_DOC_DIR})
