# Cross-building for 64-bit Windows with Debian's MinGW-w64 toolchain, POSIX thread model
# (packages g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64).
#
# The -posix compilers are named directly: the unsuffixed names follow update-alternatives, which
# may point at the win32 thread model, whose libstdc++ has no std::thread or std::mutex.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORVEL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORVEL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORVEL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORVEL_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${QUORVEL_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${QUORVEL_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "Archive indexer")
set(CMAKE_OBJDUMP ${QUORVEL_MINGW_TRIPLET}-objdump CACHE FILEPATH "Object file dumper")
set(CMAKE_STRIP ${QUORVEL_MINGW_TRIPLET}-strip CACHE FILEPATH "Symbol stripper")

# Headers and libraries come from the MinGW-w64 sysroot only, never from the build machine's
# /usr/include or /usr/lib; programs (pkg-config, wine) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QUORVEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
