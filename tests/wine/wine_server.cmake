# The wineserver that a Windows build's tests share, for the prefix the test preset names
# in WINEPREFIX (Wine's default prefix without it).
#   cmake -DACTION=start -DLOADER=WINE -DARCH=win32|win64 -P wine_server.cmake
# start: creates the prefix if it is new, starts a persistent server and the prefix's
# services under it, so that no test pays for their start-up.
# stop: stops the server with every program it runs, and waits until it is gone.
if(DEFINED ENV{WINEPREFIX})
  set(prefix $ENV{WINEPREFIX})
else()
  set(prefix $ENV{HOME}/.wine)
endif()

# wine_run(LOG COMMAND...): output goes to the file LOG, never to ctest's pipe: the server
# and the programs wineboot starts live on and would hold it open.
function(wine_run log)
  execute_process(COMMAND ${ARGN} INPUT_FILE /dev/null OUTPUT_FILE ${log} ERROR_FILE ${log}
                  RESULT_VARIABLE status)
  set(status ${status} PARENT_SCOPE)
endfunction()

function(wineboot)
  wine_run(${prefix}/wineboot.log ${CMAKE_COMMAND} -E env WINEARCH=${ARCH} ${LOADER} wineboot --init)
  if(NOT status EQUAL 0)
    file(READ ${prefix}/wineboot.log output)
    message(FATAL_ERROR "wineboot --init failed (${status}):\n${output}")
  endif()
endfunction()

set(server_log ${prefix}/wineserver.log)
if(ACTION STREQUAL "start")
  # A new prefix takes its width from the server that creates it, and a 64-bit server makes
  # it 64-bit whatever WINEARCH says: so wineboot creates it first, with a server of its own
  # that ends with it.
  if(NOT EXISTS ${prefix}/system.reg)
    file(MAKE_DIRECTORY ${prefix})
    wineboot()
    wine_run(${server_log} wineserver -w)
  endif()
  wine_run(${server_log} wineserver -p)
  if(NOT status EQUAL 0) # a server left by an interrupted run
    wine_run(${server_log} wineserver -k)
    wine_run(${server_log} wineserver -w)
    wine_run(${server_log} wineserver -p)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "wineserver -p failed for ${prefix}")
    endif()
  endif()
  wineboot()
elseif(ACTION STREQUAL "stop")
  wine_run(${server_log} wineserver -k)
  wine_run(${server_log} wineserver -w)
else()
  message(FATAL_ERROR "ACTION must be start or stop")
endif()
