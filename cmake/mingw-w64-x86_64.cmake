# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads,
# which std::thread and GoogleTest need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TCC_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TCC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TCC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TCC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TCC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One file per program: no MinGW runtime DLLs to ship next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests and the program run under Wine on the build machine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
