# Builds the platform's archive into a scratch folder and compares its file list with the
# layout modules ship in.
#   -DTREE=<this build tree> -DARCHIVE=<scratch archive> -DEXPECTED=<file|file|...>
#   [-DOTHER_TREE=<tree> -DOTHER_FILES=<file|...>]: the other Windows architecture, taken
#   in (and its files expected) when that tree has been built
# Files that other parts of the build may add to the installation (the command-line tool,
# its manual page, the command reference) are allowed but not required.
set(optional_files_regex "^(bin/orrery-call(\\.exe)?|share/man/man1/orrery-call\\.1(\\.gz)?|(share/doc/orrery/)?commands\\.md)$")

string(REPLACE "|" ";" expected "${EXPECTED}")
set(trees "${TREE}")
if(OTHER_TREE AND EXISTS "${OTHER_TREE}/bin/orrery.dll")
  list(APPEND trees "${OTHER_TREE}")
  string(REPLACE "|" ";" other "${OTHER_FILES}")
  list(APPEND expected ${other})
elseif(OTHER_TREE)
  message(STATUS "${OTHER_TREE} is not built: checking the archive without its DLL")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} "-DTREES=${trees}" "-DARCHIVE=${ARCHIVE}"
                        -P ${CMAKE_CURRENT_LIST_DIR}/../../cmake/package.cmake
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "packaging failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf "${ARCHIVE}" OUTPUT_VARIABLE listing
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list ${ARCHIVE}")
endif()

get_filename_component(name "${ARCHIVE}" NAME)
string(REGEX REPLACE "\\.(zip|tar\\.gz)$" "" root "${name}")
string(REPLACE "\n" ";" entries "${listing}")
set(files)
foreach(entry IN LISTS entries)
  if(entry STREQUAL "" OR entry MATCHES "/$")
    continue()
  endif()
  if(NOT entry MATCHES "^${root}/(.+)$")
    message(FATAL_ERROR "${entry} lies outside the archive's folder ${root}/")
  endif()
  set(file "${CMAKE_MATCH_1}")
  if(NOT file MATCHES "${optional_files_regex}")
    list(APPEND files "${file}")
  endif()
endforeach()

list(REMOVE_DUPLICATES expected)
list(SORT expected)
list(SORT files)
if(NOT files STREQUAL expected)
  string(REPLACE ";" "\n  " expected_text "${expected}")
  string(REPLACE ";" "\n  " files_text "${files}")
  message(FATAL_ERROR "${name} holds\n  ${files_text}\nbut should hold\n  ${expected_text}")
endif()
message(STATUS "${name}: ${files}")
