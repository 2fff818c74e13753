# The man page and the command reference mention every option and command that
# orrery-call --help prints, so that neither drifts from the tool.
#
# cmake "-DTOOL=<emulator;tool>" -DMAN=<orrery-call.1> -DREFERENCE=<commands.md> -P check_docs.cmake

cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${TOOL} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "orrery-call --help failed (${rc})")
endif()
file(READ ${MAN} man)
string(REPLACE "\\-" "-" man "${man}")
file(READ ${REFERENCE} reference)

string(REGEX MATCHALL "--[a-z-]+" options "${help}")
list(REMOVE_DUPLICATES options)
# The command names: the words that start the indented lines under "Commands:".
string(REGEX REPLACE ".*\nCommands:\n" "" listing "${help}")
string(REGEX MATCHALL "\n  [a-z_]+" commands "\n${listing}")
list(TRANSFORM commands REPLACE "^\n  " "")
list(LENGTH commands count)
if(NOT count EQUAL 9)
  message(FATAL_ERROR "--help lists ${count} commands, not nine: ${commands}")
endif()

set(missing "")
foreach(word IN LISTS options commands)
  string(FIND "${man}" "${word}" in_man)
  string(FIND "${reference}" "${word}" in_reference)
  if(in_man EQUAL -1)
    list(APPEND missing "${word} (man page)")
  endif()
  if(in_reference EQUAL -1)
    list(APPEND missing "${word} (reference)")
  endif()
endforeach()
# help COMMAND prints the reference's section of that name (one run shows it works).
foreach(command IN LISTS commands)
  if(NOT reference MATCHES "\n## ${command}\n[^#]*\n    orrery-call ${command}")
    list(APPEND missing "a section with the synopsis of ${command}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not documented: ${missing}")
endif()
