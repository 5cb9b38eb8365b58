# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads),
# with libgcc and libstdc++ linked statically so the DLL and program need
# nothing beside the system's own DLLs.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DEC_TESTS=OFF -DEC_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(EC_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${EC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${EC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${EC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
