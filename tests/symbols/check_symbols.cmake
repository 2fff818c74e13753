# What the built module shows its host: exactly the four entry points, imports from the
# system only, and no code of its own that prints, asserts, ends the process or has a
# static destructor.
#
# cmake -DMODULE=<.so or .dll> -DFORMAT=ELF|PE -DNM=<nm> -DOBJDUMP=<objdump>
#       -DOWN_CODE=<archives and objects of the module, separated by |> -P check_symbols.cmake

cmake_minimum_required(VERSION 3.25)

set(expected_exports load request requestw unload)
# Functions that write to stdout or stderr, assert, or end the process.
set(forbidden
    abort exit _exit _Exit quick_exit _amsg_exit __assert_fail _assert _wassert
    printf vprintf fprintf vfprintf puts fputs fputc putchar putc fwrite perror write
    wprintf fwprintf setlocale _wsetlocale
    _ZSt4cout _ZSt4cerr _ZSt4clog _ZSt5wcout _ZSt5wcerr _ZSt5wclog)
# How compilers register the destructor of an object of static storage. Such a destructor
# runs among the exit handlers, in an order of the C runtime's choosing relative to process
# detach, which alone tears the module down.
set(static_destructors __cxa_atexit atexit _onexit)
set(allowed_dlls KERNEL32.dll msvcrt.dll USER32.dll ADVAPI32.dll ntdll.dll)

set(failures "")

function(run_tool out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}): ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Symbol names from nm output (the last column), without version or stdcall decoration
# and, on 32-bit Windows, without the leading underscore that C names get there (64-bit
# Windows adds none, so there a name's own underscore stays: _wassert, _ZSt4cout).
function(nm_names out text)
  string(REPLACE "\n" ";" lines "${text}")
  set(names "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES ":$")
      continue()
    endif()
    string(REGEX REPLACE ".* " "" name "${line}")
    string(REGEX REPLACE "@.*" "" name "${name}")
    string(REGEX REPLACE "^__imp_" "" name "${name}")
    if(c_underscore)
      string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    list(APPEND names "${name}")
  endforeach()
  list(REMOVE_DUPLICATES names)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# 1. Exports and imports of the library itself.
if(FORMAT STREQUAL "ELF")
  run_tool(defined ${NM} -D --defined-only ${MODULE})
  nm_names(exports "${defined}")
  run_tool(undefined ${NM} -D --undefined-only ${MODULE})
  nm_names(imports "${undefined}")
  set(import_note "")
  foreach(name IN LISTS imports)
    if(name IN_LIST forbidden)
      list(APPEND failures "the library imports ${name}")
    endif()
  endforeach()
else()
  run_tool(headers ${OBJDUMP} -p ${MODULE})
  if(headers MATCHES "\nMagic[\t ]+010b")
    set(c_underscore ON) # PE32: 32-bit Windows
  elseif(NOT headers MATCHES "\nMagic[\t ]+020b")
    message(FATAL_ERROR "${MODULE} is neither PE32 nor PE32+")
  endif()
  # "[Ordinal/Name Pointer] Table" is followed by one "\t[   n] name" line per export.
  # Brackets are taken off before the names become a list, which they would confuse.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" table "${headers}")
  string(FIND "${table}" "\n" header_end)
  math(EXPR header_end "${header_end} + 1")
  string(SUBSTRING "${table}" ${header_end} -1 table)
  string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "" table "${table}")
  string(STRIP "${table}" table)
  string(REPLACE "\n" ";" exports "${table}")
  string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${headers}")
  set(runtime_imports "")
  foreach(dll IN LISTS dlls)
    string(REGEX REPLACE "DLL Name: " "" dll "${dll}")
    if(NOT dll IN_LIST allowed_dlls)
      list(APPEND failures "the library needs ${dll}, which is not a system DLL")
    endif()
  endforeach()
  # The import table lists functions as "<hint> <name>" lines.
  string(REGEX MATCHALL "\n\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_][A-Za-z0-9_]*" lines "${headers}")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ".* " "" name "${line}")
    if(name IN_LIST forbidden)
      list(APPEND runtime_imports ${name})
    endif()
  endforeach()
  if(runtime_imports)
    # The statically linked C and C++ runtime (CRT start-up error reports, the default
    # terminate handler, winpthread) brings these in; the module's own code, checked
    # below, never calls them.
    list(REMOVE_DUPLICATES runtime_imports)
    message(STATUS "imported by the static runtime, not by the module's code: ${runtime_imports}")
  endif()
endif()

list(SORT exports)
if(NOT exports STREQUAL expected_exports)
  list(APPEND failures "exports are '${exports}', expected '${expected_exports}'")
endif()

# 2. The module's own code: every archive and object it is linked from.
string(REPLACE "|" ";" own_code "${OWN_CODE}")
foreach(file IN LISTS own_code)
  run_tool(undefined ${NM} -u ${file})
  nm_names(names "${undefined}")
  foreach(name IN LISTS names)
    if(name IN_LIST forbidden)
      get_filename_component(short ${file} NAME)
      list(APPEND failures "${short} calls ${name}")
    endif()
    if(name IN_LIST static_destructors)
      get_filename_component(short ${file} NAME)
      list(APPEND failures "${short} gives an object of static storage a destructor (${name})")
    endif()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "module symbols:\n  ${text}")
endif()
message(STATUS "exports: ${exports}; no printing, asserting, exiting or static destructors in the module's code")
