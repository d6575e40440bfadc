# zlib compiled from its sources with the project's compiler, as ZLIB::ZLIB,
# for targets that have no zlib package (the browser). Only the C files are
# taken: zlib's own CMake file wants a Windows resource script that Debian's
# source tarball leaves out, and nothing else of it is needed.
set(QUILNOTE_ZLIB_SOURCE_DIR "" CACHE PATH "zlib's sources, compiled with this compiler")
if(NOT EXISTS "${QUILNOTE_ZLIB_SOURCE_DIR}/zlib.h")
  message(FATAL_ERROR "QUILNOTE_ZLIB_SOURCE_DIR must name zlib's sources "
                      "(Debian: apt-get source zlib), not \"${QUILNOTE_ZLIB_SOURCE_DIR}\"")
endif()
file(STRINGS "${QUILNOTE_ZLIB_SOURCE_DIR}/zlib.h" zlib_version_line
     REGEX "^#define ZLIB_VERSION \"[^\"]*\"")
string(REGEX REPLACE ".*\"([^\"]*)\".*" "\\1" zlib_version "${zlib_version_line}")
message(STATUS "zlib ${zlib_version} from ${QUILNOTE_ZLIB_SOURCE_DIR}")

enable_language(C)
set(zlib_sources adler32.c compress.c crc32.c deflate.c infback.c inffast.c inflate.c
                 inftrees.c trees.c uncompr.c zutil.c)
list(TRANSFORM zlib_sources PREPEND "${QUILNOTE_ZLIB_SOURCE_DIR}/")
add_library(quilnote_zlib STATIC ${zlib_sources})
target_include_directories(quilnote_zlib SYSTEM PUBLIC "${QUILNOTE_ZLIB_SOURCE_DIR}")
add_library(ZLIB::ZLIB ALIAS quilnote_zlib)
