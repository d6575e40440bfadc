# build/uninstall_manifest.txt: the files that the last `cmake --install`
# (or `ninja install`) wrote, one path a line, for the README's uninstall.
# CMake's own build/install_manifest.txt is no good for that: cpack rewrites
# it with the package's paths (/usr/bin/quilnote), which an uninstall would
# then take from under dpkg.
#
# The paths are the real ones, DESTDIR included, and the list is left alone
# when cpack installs into its staging folder: whatever this file lists was
# written by an install the user ran. Include it after every other install
# rule, since it lists the files installed before it runs.
install(CODE "set(quilnote_uninstall_manifest [[${CMAKE_BINARY_DIR}/uninstall_manifest.txt]])")
install(CODE [[
  set(quilnote_written "")
  foreach(quilnote_file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
    string(APPEND quilnote_written "$ENV{DESTDIR}${quilnote_file}\n")
  endforeach()
  if(NOT quilnote_written MATCHES "/_CPack_Packages/")
    file(WRITE "${quilnote_uninstall_manifest}" "${quilnote_written}")
  endif()
]])
