# cmake -DSOURCE=<source folder> -DVERSION=<version> -DOUTPUT=<folder>
#       -P windows_texts.cmake
# Writes the texts that go beside quilnote.exe into OUTPUT: README.txt (the
# guide for Windows users), MANUAL.txt (the manual for Windows) and
# LICENSE.txt, each UTF-8 with a byte order mark and CR LF line ends, which
# every Notepad shows as they are meant; and the drop helper
# quilnote_drop.cmd, ASCII with CR LF line ends and no byte order mark,
# which cmd would read as a command.

string(ASCII 239 187 191 bom)

# Writes `text` (LF line ends) to OUTPUT/`name` in that form.
function(write_for_notepad name text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${OUTPUT}/${name} "${bom}${text}")
endfunction()

file(MAKE_DIRECTORY ${OUTPUT})

# cmd finds labels reliably only in a script with CR LF line ends.
file(READ ${SOURCE}/src/cli/windows/quilnote_drop.cmd script)
string(REPLACE "\n" "\r\n" script "${script}")
file(WRITE ${OUTPUT}/quilnote_drop.cmd "${script}")

file(READ ${SOURCE}/docs/windows_guide.txt guide)
string(CONFIGURE "${guide}" guide @ONLY)  # @VERSION@
write_for_notepad(README.txt "${guide}")

file(READ ${SOURCE}/LICENSE license)
write_for_notepad(LICENSE.txt "${license}")

# The manual for Windows: cmd syntax and Windows examples, kept beside the
# manual page (.ci/windows checks that it names every option of it).
file(READ ${SOURCE}/docs/windows_manual.txt manual)
string(CONFIGURE "${manual}" manual @ONLY)  # @VERSION@
write_for_notepad(MANUAL.txt "${manual}")
