# Cross-compiling for 64-bit ARM Linux with Debian's cross toolchain
# (g++-aarch64-linux-gnu, zlib1g-dev:arm64); the binaries are linked
# statically and run under qemu user emulation (qemu-user-static), so
# ctest and gtest_discover_tests work on an x86-64 host.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Debian multiarch: target libraries live in /usr/lib/aarch64-linux-gnu
# (zlib1g-dev:arm64) and /usr/aarch64-linux-gnu (the cross C library),
# headers in /usr/include. With the library architecture set, find_library
# and find_package look in <prefix>/lib/aarch64-linux-gnu, not in the host's
# x86_64-linux-gnu folders (so the host's libgtest is not picked up).
# Programs (ninja, qemu, the PDF tools the tests run) come from the host.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static executables need no target loader or libraries at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
