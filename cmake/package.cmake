# cmake "-DTREES=<build tree>;..." -DARCHIVE=<dir>/<name>.zip|.tar.gz -P package.cmake
#
# Installs each build tree into one folder named after the archive, without debugging
# symbols, and archives it: several trees (the 32-bit and 64-bit Windows builds) make one
# archive.
if(NOT TREES OR NOT ARCHIVE)
  message(FATAL_ERROR "usage: cmake -DTREES=<tree;...> -DARCHIVE=<file> -P package.cmake")
endif()
get_filename_component(file_name "${ARCHIVE}" NAME)
if(file_name MATCHES "^(.+)\\.zip$")
  set(format --format=zip)
  set(flags cf)
elseif(file_name MATCHES "^(.+)\\.tar\\.gz$")
  set(format --format=gnutar)
  set(flags czf)
else()
  message(FATAL_ERROR "${ARCHIVE}: the archive must be a .zip or a .tar.gz")
endif()
set(root "${CMAKE_MATCH_1}")
set(staging "${ARCHIVE}.staging")

file(REMOVE_RECURSE "${staging}")
foreach(tree IN LISTS TREES)
  if(NOT EXISTS "${tree}/cmake_install.cmake")
    message(FATAL_ERROR "${tree} is not a configured build tree: configure and build it first")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --install "${tree}" --prefix "${staging}/${root}" --strip
                  OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing ${tree} failed: build it first")
  endif()
endforeach()

file(REMOVE "${ARCHIVE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar ${flags} "${ARCHIVE}" ${format} "${root}"
                WORKING_DIRECTORY "${staging}" RESULT_VARIABLE status)
file(REMOVE_RECURSE "${staging}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "writing ${ARCHIVE} failed")
endif()
message(STATUS "Wrote ${ARCHIVE}")
