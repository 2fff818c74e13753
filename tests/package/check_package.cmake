# Builds the platform's archive into a scratch folder and compares its file list with the
# layout modules ship in.
#   -DTREE=<this build tree> -DARCHIVE=<scratch archive> -DEXPECTED=<file|file|...>
#   [-DOTHER_TREE=<tree> -DOTHER_FILES=<file|...>]: the other Windows architecture, taken
#   in (and its files expected) when that tree has been built
#   [-DREADMES=<file|...>]: readmes whose file lists must name every file of the archive,
#   and only those
# Files that the tool's part of the build adds (the command-line tool and its manual
# page, absent when the tools are not built) are allowed but not required.
cmake_minimum_required(VERSION 3.25)
set(optional_files_regex "^(bin/orrery-call(\\.exe)?|share/man/man1/orrery-call\\.1(\\.gz)?)$")

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
set(all_files)
foreach(entry IN LISTS entries)
  if(entry STREQUAL "" OR entry MATCHES "/$")
    continue()
  endif()
  if(NOT entry MATCHES "^${root}/(.+)$")
    message(FATAL_ERROR "${entry} lies outside the archive's folder ${root}/")
  endif()
  set(file "${CMAKE_MATCH_1}")
  list(APPEND all_files "${file}")
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

# The readmes' lists: the indented entries under "Files". A group whose heading starts
# with "Windows" or "POSIX" belongs to that archive; the others to both. An entry names
# an archived file by its path or, for the texts in share/doc/orrery/, by its name; the
# .so's versioned names come with lib/liborrery.so.
if(name MATCHES "windows")
  set(platform Windows)
else()
  set(platform POSIX)
endif()
string(REPLACE "|" ";" readmes "${READMES}")
foreach(readme IN LISTS readmes)
  file(READ "${readme}" text)
  string(REGEX MATCH "\n(Files|同梱ファイル)\n-+\n(( [^\n]*)?\n)*" listing "${text}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(listed)
  set(group_applies FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^  ([^ ].*):$")
      set(heading "${CMAKE_MATCH_1}")
      set(group_applies TRUE)
      if(heading MATCHES "^(Windows|POSIX)" AND NOT CMAKE_MATCH_1 STREQUAL platform)
        set(group_applies FALSE)
      endif()
    elseif(group_applies AND line MATCHES "^    ([^ ]+)")
      string(REPLACE "\\" "/" path "${CMAKE_MATCH_1}")
      list(APPEND listed "${path}")
    endif()
  endforeach()
  if(NOT listed)
    message(FATAL_ERROR "${readme} has no file list")
  endif()
  set(problems)
  # The names each archived file may be listed under.
  set(keys)
  foreach(file IN LISTS all_files)
    string(REGEX REPLACE "^(lib/liborrery\\.so)\\..*$" "\\1" key "${file}")
    string(REGEX REPLACE "^share/doc/orrery/" "" key "${key}")
    list(APPEND keys "${key}")
    if(NOT key IN_LIST listed)
      list(APPEND problems "${file} is archived but not listed")
    endif()
  endforeach()
  foreach(path IN LISTS listed)
    set(found FALSE)
    if(path IN_LIST keys)
      set(found TRUE)
    endif()
    # The other Windows architecture's DLL is missing when its tree is not built.
    if(NOT found AND NOT path MATCHES "${optional_files_regex}"
       AND NOT (platform STREQUAL "Windows" AND path MATCHES "^x(86|64)/orrery\\.dll$"))
      list(APPEND problems "${path} is listed but not archived")
    endif()
  endforeach()
  if(problems)
    string(REPLACE ";" "\n  " problems "${problems}")
    message(FATAL_ERROR "${readme}'s file list does not match ${name}:\n  ${problems}")
  endif()
endforeach()
