# cmake -DSOURCE=<source folder> -DFOLDER=<top folder> -DWORK=<scratch folder>
#       -DOUTPUT=<zip file> "-DFILES=<file;...>" -P reproducible_zip.cmake
# Packs FILES, in that order, into OUTPUT under FOLDER, the same bytes from
# every build of one commit: each entry dated with the commit's time (in
# UTC), the same permissions, no owners or other extra fields, no folder
# entries. Beside OUTPUT, SHA256SUMS holds its SHA-256 in the form that
# "sha256sum -c" reads.

# The commit's time, or a fixed one outside a git checkout.
set(epoch 1767225600)  # 2026-01-01 00:00 UTC
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(
    COMMAND git -C ${SOURCE} log -1 --format=%ct
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
    set(epoch ${commit_time})
  endif()
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/${FOLDER})
set(entries)
foreach(file IN LISTS FILES)
  get_filename_component(name ${file} NAME)
  file(COPY_FILE ${file} ${WORK}/${FOLDER}/${name})
  file(CHMOD ${WORK}/${FOLDER}/${name} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  list(APPEND entries ${FOLDER}/${name})
endforeach()

# ZIP times are local times: UTC makes them the same on every machine.
set(ENV{TZ} UTC)
execute_process(COMMAND touch -d @${epoch} ${entries} WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "touch failed")
endif()
file(REMOVE ${OUTPUT})
execute_process(COMMAND zip -q -X -D -9 ${OUTPUT} ${entries} WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "zip failed (${status}): install zip")
endif()

file(SHA256 ${OUTPUT} hash)
get_filename_component(zip_name ${OUTPUT} NAME)
get_filename_component(zip_folder ${OUTPUT} DIRECTORY)
file(WRITE ${zip_folder}/SHA256SUMS "${hash}  ${zip_name}\n")
