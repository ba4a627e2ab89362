# clang++ with libc++, the C++ library of macOS and the BSDs, on Linux:
#   cmake -B build-libcxx --toolchain cmake/libcxx.cmake
find_program(CMAKE_CXX_COMPILER NAMES clang++)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "clang++ is missing: install clang (Debian and Ubuntu: apt-get install clang)")
endif()
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -stdlib=libc++)

# Without libc++ CMake's own compiler check would fail, deep in its log:
# a program that uses the library is built first, once.
get_property(in_check GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT in_check AND NOT DEFINED CACHE{KNJIGA_LIBCXX_WORKS})
  set(check ${CMAKE_BINARY_DIR}/CMakeFiles/libcxx-check)
  file(WRITE ${check}.cpp "#include <iostream>\nint main() { std::cout << 1; }\n")
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -stdlib=libc++ ${check}.cpp -o ${check}
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
  if(failed)
    message(FATAL_ERROR "libc++ is missing: install it (Debian and Ubuntu: apt-get install libc++-dev libc++abi-dev)")
  endif()
  set(KNJIGA_LIBCXX_WORKS ON CACHE INTERNAL "clang++ builds a program with libc++")
endif()
