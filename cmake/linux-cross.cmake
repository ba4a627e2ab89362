# Build for Linux on one of the processors of cmake/targets.txt, named by
# its GNU triple, with the GNU compiler for it:
#   cmake -B build-riscv64 --toolchain cmake/linux-cross.cmake -DKNJIGA_TARGET=riscv64-linux-gnu
# The tests run the program natively where this machine runs it, else under
# qemu-user; -DKNJIGA_CPU=MODEL runs it under qemu as that processor (one of
# qemu's -cpu models, such as the target's oldest in the list), also where
# it would run natively.
set(CMAKE_SYSTEM_NAME Linux)
# CMake reads this file again for each check it compiles: the target goes along.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KNJIGA_TARGET KNJIGA_STATIC KNJIGA_CPU)

# The target's line of the list: its name (as uname -m says it) and qemu's.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/targets.txt lines REGEX "^[^# ]")
set(triples)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
  list(GET fields 1 triple)
  list(APPEND triples ${triple})
  if(triple STREQUAL "${KNJIGA_TARGET}")
    list(GET fields 0 cpu)
    list(GET fields 3 qemu)
  endif()
endforeach()
if(NOT cpu)
  string(JOIN ", " triples ${triples})
  message(FATAL_ERROR "Name the target's GNU triple, one of ${triples}: -DKNJIGA_TARGET=aarch64-linux-gnu, say")
endif()
set(CMAKE_SYSTEM_PROCESSOR ${cpu})

find_program(CMAKE_CXX_COMPILER NAMES ${KNJIGA_TARGET}-g++)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "The ${KNJIGA_TARGET} cross compiler is missing: install it (Debian and Ubuntu: apt-get install g++-${KNJIGA_TARGET})")
endif()

# This machine's own processor needs no root of its own, and runs natively.
if(cpu STREQUAL CMAKE_HOST_SYSTEM_PROCESSOR)
  if(NOT KNJIGA_CPU)
    set(KNJIGA_RUNS_HERE ON)
    return()
  endif()
  set(sysroot /)
else()
  set(sysroot /usr/${KNJIGA_TARGET})
  set(CMAKE_FIND_ROOT_PATH ${sysroot})
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endif()

# This file is the one place that says how a program for the target runs
# here; the tests and scripts/release.sh follow it (the build tree's
# "emulator" file). An x86-64 kernel built to take 32-bit programs runs one
# itself: its C library's loader, run once, tells. A dynamically linked one
# also needs that loader in its place, which qemu does not: qemu finds it
# under -L. KNJIGA_FORCE_QEMU=1 in the environment runs it under qemu all the
# same, as on a kernel that does not take it.
if(cpu STREQUAL i686 AND CMAKE_HOST_SYSTEM_PROCESSOR STREQUAL x86_64
   AND NOT "$ENV{KNJIGA_FORCE_QEMU}" AND NOT KNJIGA_CPU)
  execute_process(COMMAND ${sysroot}/lib/ld-linux.so.2 --help
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
  if(NOT failed AND (KNJIGA_STATIC OR EXISTS /lib/ld-linux.so.2))
    set(KNJIGA_RUNS_HERE ON)
    return()
  endif()
endif()
# qemu finds the program's loader and libraries under -L: a folder whose
# lib/ and lib64/ link to the cross C library's folders of those names, or
# to its lib/ where it has no lib64/. The loader looks in /lib first, so as
# not to take the target's C library that this machine may have for another
# use (libc6:ppc64el, say), which need not match the cross one.
find_program(KNJIGA_QEMU NAMES qemu-${qemu} qemu-${qemu}-static)
if(KNJIGA_QEMU)
  set(emulator ${KNJIGA_QEMU})
  if(KNJIGA_CPU)
    list(APPEND emulator -cpu ${KNJIGA_CPU})
  endif()
  if(NOT sysroot STREQUAL /)
    set(root ${CMAKE_BINARY_DIR}/qemu-root)
    file(MAKE_DIRECTORY ${root})
    foreach(lib lib lib64)
      if(IS_DIRECTORY ${sysroot}/${lib})
        file(CREATE_LINK ${sysroot}/${lib} ${root}/${lib} SYMBOLIC)
      else()
        file(CREATE_LINK ${sysroot}/lib ${root}/${lib} SYMBOLIC)
      endif()
    endforeach()
    list(APPEND emulator -L ${root} -E LD_LIBRARY_PATH=/lib)
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${emulator})
endif()
