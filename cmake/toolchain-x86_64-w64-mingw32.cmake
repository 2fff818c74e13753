# Cross-build the 64-bit Windows module with mingw-w64 (posix threading model) and run its
# tests under 64-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The 64-bit loader by name: Debian's "wine" starts the 32-bit one whenever wine32 is
# installed, and that cannot load a 64-bit program.
find_program(WINE64_PROGRAM NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE64_PROGRAM NAMES wine64 wine64-stable)
if(WINE64_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64_PROGRAM})
endif()
