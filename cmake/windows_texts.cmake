# cmake -DSOURCE=<source folder> -DVERSION=<version> -DOUTPUT=<folder>
#       -P windows_texts.cmake
# Writes the texts that go beside quilnote.exe into OUTPUT: README.txt (the
# guide for Windows users), MANUAL.txt (the manual page as plain text) and
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

# Plain text: -P-cbu turns off the terminal's escape sequences and the
# overstrikes for bold and underlining (the bytes "groff -P-c | col -bx"
# gives, without needing col). groff measures characters by the locale, so
# one UTF-8 locale is set: every build aligns 桁 and ページ as two columns.
set(ENV{LC_ALL} C.UTF-8)
execute_process(
  COMMAND groff -man -Tutf8 -P-cbu ${SOURCE}/docs/quilnote.1
  OUTPUT_VARIABLE manual
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR manual STREQUAL "")
  message(FATAL_ERROR "groff failed (${status}): install groff-base")
endif()
write_for_notepad(MANUAL.txt "${manual}")
