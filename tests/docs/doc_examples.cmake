# The examples of docs/hosts.md, run against the built module: the C hosts are compiled
# from the document and the Python host is run, and each must print what the document
# shows; every transcript is sent to the module by the end-to-end tests.
set(ORRERY_HOSTS_DOC ${PROJECT_SOURCE_DIR}/docs/hosts.md)
set(ORRERY_DOC_DIR ${CMAKE_CURRENT_BINARY_DIR}/docs)

if(WIN32)
  set(ORRERY_DOC_HOST_ARGS orrery.dll)  # found beside the program
else()
  set(ORRERY_DOC_HOST_ARGS $<TARGET_FILE:orrery>)
endif()
# orrery_doc_program(<target> <file>): the C program of the block marked <file>, built
# with the public header and run; it must print the block marked "<file> output".
function(orrery_doc_program target file)
  add_custom_command(
    OUTPUT ${ORRERY_DOC_DIR}/${file}
    COMMAND ${CMAKE_COMMAND} -DDOC=${ORRERY_HOSTS_DOC} -DMARKER=${file} -DOUT=${ORRERY_DOC_DIR}/${file}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/extract_doc_block.cmake
    DEPENDS ${ORRERY_HOSTS_DOC} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/doc_block.cmake
    COMMENT "Extracting ${file} from docs/hosts.md")
  add_executable(${target} ${ORRERY_DOC_DIR}/${file})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${target} PRIVATE orrery_options ${CMAKE_DL_LIBS})
  # Linked by the C++ driver: a sanitized module needs the sanitizers' C++ runtime parts,
  # which a C link leaves out.
  set_target_properties(${target} PROPERTIES LINKER_LANGUAGE CXX)
  add_dependencies(${target} orrery)
  add_test(NAME ${target}
           COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}>
                   "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -DARGS=${ORRERY_DOC_HOST_ARGS}
                   -DDOC=${ORRERY_HOSTS_DOC} "-DMARKER=${file} output"
                   -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/check_doc_output.cmake)
endfunction()
orrery_doc_program(doc_host_example host.c)
orrery_doc_program(doc_host_requestw_example host_w.c)

# The Python host, run by the system's python3 against the built .so. (A sanitized
# module cannot be loaded into an interpreter that was not started with the runtime.)
if(NOT WIN32 AND NOT ORRERY_SANITIZE)
  find_program(ORRERY_PYTHON python3)
  if(NOT ORRERY_PYTHON)
    set(ORRERY_PYTHON python3)  # missing, the test fails: install-deps.sh installs it
  endif()
  add_custom_command(
    OUTPUT ${ORRERY_DOC_DIR}/host.py
    COMMAND ${CMAKE_COMMAND} -DDOC=${ORRERY_HOSTS_DOC} -DMARKER=host.py -DOUT=${ORRERY_DOC_DIR}/host.py
            -P ${CMAKE_CURRENT_LIST_DIR}/extract_doc_block.cmake
    DEPENDS ${ORRERY_HOSTS_DOC} ${CMAKE_CURRENT_LIST_DIR}/doc_block.cmake)
  add_custom_target(doc_host_python ALL DEPENDS ${ORRERY_DOC_DIR}/host.py)
  add_test(NAME doc_host_python_example
           COMMAND ${CMAKE_COMMAND} -DPROGRAM=${ORRERY_PYTHON}
                   "-DARGS=${ORRERY_DOC_DIR}/host.py;$<TARGET_FILE:orrery>"
                   -DDOC=${ORRERY_HOSTS_DOC} "-DMARKER=host.py output"
                   -P ${CMAKE_CURRENT_LIST_DIR}/check_doc_output.cmake)
endif()

foreach(guide hosts hosts.ja)
  string(REPLACE "." "_" name ${guide})
  add_custom_command(
    OUTPUT ${ORRERY_DOC_DIR}/${name}_md.inc
    COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/docs/${guide}.md
            -DOUT=${ORRERY_DOC_DIR}/${name}_md.inc -P ${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/${guide}.md ${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake)
  target_sources(orrery_e2e_tests PRIVATE ${ORRERY_DOC_DIR}/${name}_md.inc)
endforeach()
target_include_directories(orrery_e2e_tests PRIVATE ${ORRERY_DOC_DIR})

# The orrery-call examples of the command references and the cookbooks, run through sh
# with the built tool (its answers are the same on every platform).
if(ORRERY_BUILD_TOOLS AND NOT WIN32)
  set(ORRERY_TOOL_DOCS ${PROJECT_SOURCE_DIR}/docs/commands.md ${PROJECT_SOURCE_DIR}/docs/commands.ja.md
                       ${PROJECT_SOURCE_DIR}/docs/cookbook.md ${PROJECT_SOURCE_DIR}/docs/cookbook.ja.md)
  add_test(NAME doc_tool_examples
           COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:orrery-call> "-DDOCS=${ORRERY_TOOL_DOCS}"
                   -DWORK=${ORRERY_DOC_DIR}/tool_examples
                   -P ${CMAKE_CURRENT_LIST_DIR}/check_tool_examples.cmake)
  set_tests_properties(doc_tool_examples PROPERTIES ENVIRONMENT "LC_ALL=C")
endif()

# Each Japanese document keeps the headings, examples and checked blocks of its English
# original, so that the examples run from the English ones hold for both.
set(ORRERY_TRANSLATIONS)
foreach(doc commands hosts cookbook)
  list(APPEND ORRERY_TRANSLATIONS
       "${PROJECT_SOURCE_DIR}/docs/${doc}.md|${PROJECT_SOURCE_DIR}/docs/${doc}.ja.md")
endforeach()
add_test(NAME doc_translations COMMAND ${CMAKE_COMMAND} "-DPAIRS=${ORRERY_TRANSLATIONS}"
                                      -P ${CMAKE_CURRENT_LIST_DIR}/check_translation.cmake)

# The summaries of the commands agree with the reference on the points users tripped on.
set(ORRERY_SUMMARIES ${PROJECT_SOURCE_DIR}/packaging/README.txt ${PROJECT_SOURCE_DIR}/packaging/README.ja.txt
                     ${ORRERY_HOSTS_DOC} ${PROJECT_SOURCE_DIR}/docs/hosts.ja.md
                     ${PROJECT_SOURCE_DIR}/docs/commands.md
                     ${PROJECT_SOURCE_DIR}/docs/commands.ja.md)
add_test(NAME doc_summaries COMMAND ${CMAKE_COMMAND} "-DFILES=${ORRERY_SUMMARIES}"
                                    -P ${CMAKE_CURRENT_LIST_DIR}/check_summaries.cmake)

# The 500 answers the guide shows are the module's fallback texts.
add_test(NAME doc_fallback_answers
         COMMAND ${CMAKE_COMMAND} -DSOURCES=${PROJECT_SOURCE_DIR}/src/module
                 -DDOC=${ORRERY_HOSTS_DOC} -P ${CMAKE_CURRENT_LIST_DIR}/check_fallback_answers.cmake)
