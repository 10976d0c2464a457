# Cross-builds the Windows programs with Debian's mingw-w64 (package
# g++-mingw-w64-x86-64-posix):
#
#   cmake --preset windows && cmake --build --preset windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

# Headers and libraries from the mingw-w64 tree only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe that runs wherever it is copied: the C++ runtime, libgcc and
# winpthread go into it, leaving only Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
