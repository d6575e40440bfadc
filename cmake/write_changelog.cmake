# Writes the package's changelog, <build>/changelog and <build>/changelog.gz:
# one entry for this version, dated by the commit the sources come from, so
# that the same sources always give the same bytes.
#
#   cmake -DSOURCE_DIR=<sources> -DVERSION=<version> -DMAINTAINER="<name <mail>>"
#         -DOUTPUT=<build>/changelog -P write_changelog.cmake
#
# The date is that of the last commit; outside a git checkout, the time that
# the source archive recorded for CMakeLists.txt. SOURCE_DATE_EPOCH, when set,
# overrides both (the reproducible-builds convention).
execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct%n%H
                OUTPUT_VARIABLE last_commit RESULT_VARIABLE status ERROR_QUIET)
set(commit "")
if(status EQUAL 0 AND last_commit MATCHES "^([0-9]+)\n([0-9a-f]+)")
  set(epoch "${CMAKE_MATCH_1}")
  string(SUBSTRING "${CMAKE_MATCH_2}" 0 12 commit)
else()
  file(TIMESTAMP "${SOURCE_DIR}/CMakeLists.txt" epoch "%s" UTC)
endif()
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
endif()
# string(TIMESTAMP) reads SOURCE_DATE_EPOCH instead of the clock; its names
# of days and months are English whatever the locale.
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)

if(commit)
  set(entry "quilnote ${VERSION}, built from commit ${commit}.")
else()
  set(entry "quilnote ${VERSION}.")
endif()
# Debian's format: the version has no Debian revision, as for a native package.
file(WRITE "${OUTPUT}" "quilnote (${VERSION}) unstable; urgency=medium

  * ${entry}

 -- ${MAINTAINER}  ${date}
")
execute_process(COMMAND gzip -9n -c "${OUTPUT}" OUTPUT_FILE "${OUTPUT}.gz" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()
