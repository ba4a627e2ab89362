# Cross build for 64-bit ARM Linux (arm64, aarch64) from another Linux:
#   cmake -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake
# The tests run the program under qemu-aarch64 when it is installed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

find_program(CMAKE_CXX_COMPILER NAMES aarch64-linux-gnu-g++)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "The aarch64 cross compiler is missing: install it (Debian and Ubuntu: apt-get install g++-aarch64-linux-gnu)")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# qemu finds the C library of a dynamically linked program under -L.
find_program(KNJIGA_QEMU NAMES qemu-aarch64 qemu-aarch64-static)
if(KNJIGA_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KNJIGA_QEMU} -L /usr/aarch64-linux-gnu)
endif()
