# Cross-building the Windows (x86-64) plug-in on Debian with MinGW-w64, the
# POSIX thread model (std::thread and std::mutex need it):
#   cmake -S . -B build/windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Test programs run through Wine (ctest uses CMAKE_CROSSCOMPILING_EMULATOR).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KK_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${KK_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${KK_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries of the cross prefix only (and the project's own static prefix,
# added by CMAKE_PREFIX_PATH); programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(KK_WINE64 NAMES wine64 wine PATHS /usr/lib/wine)
if(KK_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KK_WINE64})
endif()
