# Settings shared by the MinGW-w64 toolchain files: compilers of the given
# triple, and a C++ runtime linked statically so that the DLL and programs
# need nothing beside the system DLLs.
set(CMAKE_C_COMPILER ${TX14_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TX14_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TX14_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TX14_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static makes the linker take libgcc, libstdc++ and winpthread from their
# archives even for a DLL.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
