# Cross-build for the browser with Debian's emscripten (package emscripten):
#   cmake -S . -B build-web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
#     -DCMAKE_BUILD_TYPE=Release -DQUILNOTE_ZLIB_SOURCE_DIR=<zlib's sources>
# zlib has no WebAssembly package: its sources (Debian's, from
# `apt-get source zlib`) are compiled with the same compiler. Programs and
# tests run under Node.js.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# Every failure of the converter is an exception that the front end
# reports, so exceptions are thrown and caught, never turned into aborts:
# WebAssembly's own exceptions, which cost nothing until one is thrown (the
# emulated ones route every call that may throw through JavaScript).
# WebAssembly SIMD lets the SSE2 paths of the text scanners and the
# hexadecimal writer compile as they do for x86-64.
set(CMAKE_CXX_FLAGS_INIT "-fwasm-exceptions -msimd128 -msse2")
set(CMAKE_C_FLAGS_INIT "-msimd128")
# The module's memory grows with the text, up to what WebAssembly can address;
# past that an allocation fails as std::bad_alloc, reported as out of memory.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fwasm-exceptions -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB")

# Linking runs emscripten's JavaScript optimiser under Node.js, which needs
# the acorn parser of Debian's node-acorn; a Node.js that is not Debian's
# looks for it only where NODE_PATH says.
if(IS_DIRECTORY /usr/share/nodejs)
  set(CMAKE_C_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
  set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
endif()

# Programs and tests run under Node.js. Node 18 and later have a fetch()
# that emscripten 3.1.6's loader mistakes for a browser's.
find_program(QUILNOTE_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILNOTE_NODE} --no-experimental-fetch)
