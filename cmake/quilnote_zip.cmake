# quilnote_zip(FOLDER <top folder> FILES <file>... DEPENDS <target or file>...)
# adds the target quilnote_zip, which packs FILES into <build>/<top folder>.zip
# with reproducible_zip.cmake: the same bytes from every build of one commit,
# and <build>/SHA256SUMS beside it.
function(quilnote_zip)
  cmake_parse_arguments(PARSE_ARGV 0 zip "" "FOLDER" "FILES;DEPENDS")
  set(output ${CMAKE_BINARY_DIR}/${zip_FOLDER}.zip)
  set(packer ${PROJECT_SOURCE_DIR}/cmake/reproducible_zip.cmake)
  # Packed on every build of the target: the entries are dated with the
  # commit, which changes without any of the files changing.
  add_custom_target(
    quilnote_zip
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DFOLDER=${zip_FOLDER}
            -DWORK=${CMAKE_BINARY_DIR}/zip -DOUTPUT=${output} "-DFILES=${zip_FILES}" -P ${packer}
    BYPRODUCTS ${output} ${CMAKE_BINARY_DIR}/SHA256SUMS
    DEPENDS ${zip_DEPENDS} ${packer}
    VERBATIM)
endfunction()
