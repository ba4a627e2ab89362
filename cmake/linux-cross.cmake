# Cross build for Linux on another processor, from Linux, with the GNU cross
# compiler for the target's triple:
#   cmake -B build-riscv64 --toolchain cmake/linux-cross.cmake -DKNJIGA_TARGET=riscv64-linux-gnu
# with KNJIGA_TARGET one of aarch64-linux-gnu, arm-linux-gnueabihf,
# i686-linux-gnu, powerpc64le-linux-gnu, riscv64-linux-gnu, s390x-linux-gnu.
# The tests run the program under qemu-user; a 32-bit x86 program runs on an
# x86-64 kernel that takes it, without qemu (see below).
set(CMAKE_SYSTEM_NAME Linux)
# CMake reads this file again for each check it compiles: the target goes along.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KNJIGA_TARGET KNJIGA_STATIC)
if(NOT KNJIGA_TARGET)
  message(FATAL_ERROR "Name the target's GNU triple: -DKNJIGA_TARGET=aarch64-linux-gnu, say")
endif()
# The processor as uname -m names it, and qemu's name for it.
string(REGEX MATCH "^[^-]+" cpu ${KNJIGA_TARGET})
set(qemu ${cpu})
if(cpu STREQUAL arm)
  set(cpu armv7)
elseif(cpu STREQUAL powerpc64le)
  set(cpu ppc64le)
  set(qemu ppc64le)
elseif(cpu STREQUAL i686)
  set(qemu i386)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${cpu})

find_program(CMAKE_CXX_COMPILER NAMES ${KNJIGA_TARGET}-g++)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "The ${KNJIGA_TARGET} cross compiler is missing: install it (Debian and Ubuntu: apt-get install g++-${KNJIGA_TARGET})")
endif()

set(sysroot /usr/${KNJIGA_TARGET})
set(CMAKE_FIND_ROOT_PATH ${sysroot})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# This file is the one place that says how a program for the target runs
# here; the tests and scripts/release.sh follow it (the build tree's
# "emulator" file). An x86-64 kernel built to take 32-bit programs runs one
# itself: its C library's loader, run once, tells. A dynamically linked one
# also needs that loader in its place, which qemu does not: qemu finds it
# under -L. KNJIGA_FORCE_QEMU=1 in the environment runs it under qemu all the
# same, as on a kernel that does not take it.
if(cpu STREQUAL i686 AND CMAKE_HOST_SYSTEM_PROCESSOR STREQUAL x86_64
   AND NOT "$ENV{KNJIGA_FORCE_QEMU}")
  execute_process(COMMAND ${sysroot}/lib/ld-linux.so.2 --help
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
  if(NOT failed AND (KNJIGA_STATIC OR EXISTS /lib/ld-linux.so.2))
    set(KNJIGA_RUNS_HERE ON)
    return()
  endif()
endif()
# qemu finds the program's loader and libraries under -L: a folder of links
# to the cross C library, as the cross packages keep 64-bit POWER's loader in
# lib/, where its programs name lib64/. The loader looks in /lib first, so as
# not to take the target's C library that this machine may have for another
# use (libc6:ppc64el, say), which need not match the cross one.
find_program(KNJIGA_QEMU NAMES qemu-${qemu} qemu-${qemu}-static)
if(KNJIGA_QEMU)
  set(root ${CMAKE_BINARY_DIR}/qemu-root)
  file(MAKE_DIRECTORY ${root})
  foreach(lib lib lib64)
    file(CREATE_LINK ${sysroot}/lib ${root}/${lib} SYMBOLIC)
  endforeach()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KNJIGA_QEMU} -L ${root} -E LD_LIBRARY_PATH=/lib)
endif()
