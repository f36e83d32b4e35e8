# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers, the posix thread
# flavour (std::thread and std::mutex need it).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DBRUMALUX_WINDOWS_DEPS=<prefix of the cross-built libraries> ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

# Headers and libraries come only from the MinGW tree and from the prefix of our own
# cross-built libraries, never from the build machine's /usr; programs run on the build
# machine and so come from there.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRUMALUX_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple} ${BRUMALUX_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links statically, so the DLL and the test programs need no MinGW runtime
# DLLs (libstdc++, libgcc, winpthread) beside them on the user's machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
