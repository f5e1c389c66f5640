# Cross build of qmr.dll for 64-bit Windows with Debian's mingw-w64 (posix
# thread model, which the C++ standard library's mutexes need):
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QMR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QMR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QMR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QMR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QMR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not offer the host's (Linux) libraries to this target.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${QMR_MINGW_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Test programs run under wine.
find_program(QMR_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(QMR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QMR_WINE})
endif()
