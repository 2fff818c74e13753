# Cross-build the 32-bit Windows module with mingw-w64 (posix threading model, so that
# GoogleTest and std::thread-free code alike build) and run its tests under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Debian's 32-bit loader first, by its full path; a plain "wine" elsewhere.
find_program(WINE_PROGRAM NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE_PROGRAM NAMES wine wine-stable)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
