# quilnote.exe as Windows users get it, and the ZIP it comes in. Included
# by the top-level CMakeLists.txt for Windows builds only.
#
# The executable is stripped and carries a version resource and a manifest;
# it is linked without a time stamp, so that two builds of one commit give
# the same bytes. The ZIP (target quilnote_zip) holds one folder,
# quilnote_<version>_win64: a name without hyphens, so that a path into it
# is never read as an option. SHA256SUMS is made beside it.

enable_language(RC)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE QUILNOTE_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
set(QUILNOTE_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0")
set(QUILNOTE_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
set(QUILNOTE_MANIFEST ${CMAKE_BINARY_DIR}/quilnote.exe.manifest)
configure_file(${PROJECT_SOURCE_DIR}/src/cli/windows/quilnote.exe.manifest ${QUILNOTE_MANIFEST}
               @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/src/cli/windows/quilnote.rc.in ${CMAKE_BINARY_DIR}/quilnote.rc
               @ONLY)
target_sources(quilnote PRIVATE ${CMAKE_BINARY_DIR}/quilnote.rc)
target_link_options(quilnote PRIVATE $<$<NOT:$<CONFIG:Debug>>:-s> -Wl,--no-insert-timestamp)

# The texts beside the program, for Notepad: UTF-8 with a byte order mark
# and CR LF line ends. Beside them the drop helper, a cmd script.
set(QUILNOTE_WINDOWS_TEXTS ${CMAKE_BINARY_DIR}/windows_texts)
set(quilnote_windows_text_files
    ${QUILNOTE_WINDOWS_TEXTS}/README.txt ${QUILNOTE_WINDOWS_TEXTS}/MANUAL.txt
    ${QUILNOTE_WINDOWS_TEXTS}/LICENSE.txt ${QUILNOTE_WINDOWS_TEXTS}/quilnote_drop.cmd)
add_custom_command(
  OUTPUT ${quilnote_windows_text_files}
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
          -DOUTPUT=${QUILNOTE_WINDOWS_TEXTS}
          -P ${PROJECT_SOURCE_DIR}/cmake/windows_texts.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/windows_guide.txt
          ${PROJECT_SOURCE_DIR}/docs/windows_manual.txt ${PROJECT_SOURCE_DIR}/LICENSE
          ${PROJECT_SOURCE_DIR}/cmake/windows_texts.cmake
          ${PROJECT_SOURCE_DIR}/src/cli/windows/quilnote_drop.cmd
  VERBATIM)
add_custom_target(quilnote_windows_texts ALL DEPENDS ${quilnote_windows_text_files})

install(TARGETS quilnote DESTINATION .)
install(FILES ${quilnote_windows_text_files} DESTINATION .)

# The browser page rides along as quilnote.html, for those who would rather
# click than type. It is built elsewhere (with emscripten, see
# web/CMakeLists.txt), so the ZIP takes it from the path given here and
# cannot be made without it: a ZIP without its page, or with whatever page
# lay around, would not be a function of the configuration.
set(QUILNOTE_WEB_PAGE "" CACHE FILEPATH
    "The browser page (build-web/site/index.html) that the ZIP carries as quilnote.html")
include(${PROJECT_SOURCE_DIR}/cmake/quilnote_zip.cmake)
if(QUILNOTE_WEB_PAGE)
  get_filename_component(web_page ${QUILNOTE_WEB_PAGE} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
  set(zipped_page ${CMAKE_BINARY_DIR}/web_page/quilnote.html)
  add_custom_command(
    OUTPUT ${zipped_page}
    COMMAND ${CMAKE_COMMAND} -E copy ${web_page} ${zipped_page}
    DEPENDS ${web_page}
    VERBATIM)
  quilnote_zip(FOLDER quilnote_${PROJECT_VERSION}_win64
               FILES $<TARGET_FILE:quilnote> ${quilnote_windows_text_files} ${zipped_page}
               DEPENDS quilnote ${quilnote_windows_text_files} ${zipped_page})
else()
  add_custom_target(
    quilnote_zip
    COMMAND ${CMAKE_COMMAND} -E echo
            "The ZIP carries the browser page: build it (.ci/web) and configure with"
            "-DQUILNOTE_WEB_PAGE=<path to build-web/site/index.html>"
    COMMAND ${CMAKE_COMMAND} -E false
    VERBATIM)
endif()
