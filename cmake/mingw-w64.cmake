# Cross build for 64-bit Windows with MinGW-w64 from Linux:
#   cmake -B build-mingw --toolchain cmake/mingw-w64.cmake
# The tests run the program under wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# Debian names the compiler after its threading flavour (posix or win32);
# the program links its runtime statically, so either one will do.
find_program(CMAKE_CXX_COMPILER NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "MinGW-w64 is missing: install it (Debian and Ubuntu: apt-get install g++-mingw-w64-x86-64-posix)")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

find_program(KNJIGA_WINE NAMES wine64 wine)
if(KNJIGA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KNJIGA_WINE})
endif()
