# What a Linux (and any non-Windows) install adds beside the program, its
# manual page and the license: the README, the pages a user of the command
# needs (recipes, viewing) and a changelog in the doc folder, gzipped without
# time stamps like the manual page, and the bash completion where
# bash-completion looks for it. Included from the top CMakeLists.txt.
set(quilnote_user_docs README.md docs/recipes.md docs/viewing.md)
set(quilnote_user_docs_gz)
foreach(doc IN LISTS quilnote_user_docs)
  get_filename_component(name ${doc} NAME)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/${name}.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/${doc} > ${CMAKE_BINARY_DIR}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${doc}
    VERBATIM)
  list(APPEND quilnote_user_docs_gz ${CMAKE_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(quilnote_readme ALL DEPENDS ${quilnote_user_docs_gz})

# Rewritten on every build: its date follows the last commit.
add_custom_target(quilnote_changelog ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
          "-DMAINTAINER=${CPACK_PACKAGE_CONTACT}" -DOUTPUT=${CMAKE_BINARY_DIR}/changelog
          -P ${PROJECT_SOURCE_DIR}/cmake/write_changelog.cmake
  BYPRODUCTS ${CMAKE_BINARY_DIR}/changelog ${CMAKE_BINARY_DIR}/changelog.gz
  VERBATIM)

install(FILES ${quilnote_user_docs_gz} ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/completion/quilnote.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quilnote)
