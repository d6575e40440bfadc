# Cross-build for 64-bit Windows with Debian's MinGW-w64 (packages
# g++-mingw-w64-x86-64-posix, libz-mingw-w64-dev), tests run under Wine:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DQUILNOTE_GTEST_SOURCE_DIR=/usr/src/googletest
# The -posix compilers are named on purpose: the default win32 thread model
# of GCC 12 has no std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_AR ${MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "Ranlib")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages from the MinGW root only, so the host's GoogleTest is never taken:
# the tests build GoogleTest from its sources (QUILNOTE_GTEST_SOURCE_DIR).
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: libstdc++, libgcc, winpthread and zlib linked in,
# so that only system DLLs are imported. (Under Wine an exe that misses a
# MinGW DLL exits with status 53 and prints nothing.)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)

# Test programs and gtest_discover_tests run through Wine. Debian 12 has no
# wine64 on PATH: its wine wrapper starts /usr/lib/wine/wine64 when no 32-bit
# Wine is installed, and prints a hint about that on standard error unless
# WINEDEBUG turns the messages off. Wine's own messages and the Mono and Gecko
# installers are switched off here, so that a test's output is the program's
# alone. WINEPREFIX and the locale come from the caller: with LC_ALL set to
# an installed ja_JP.UTF-8 locale, Wine's ANSI and OEM code pages are 932.
find_program(QUILNOTE_WINE NAMES wine wine64 wine-stable)
if(QUILNOTE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=" ${QUILNOTE_WINE})
endif()
