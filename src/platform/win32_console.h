// How the program meets a Windows console: its texts written as characters,
// so that every console code page shows them, and the wait for a key when
// the console would vanish with the process. Part of the Windows twin of
// platform.h, and used by nothing else.
#ifndef QUILNOTE_PLATFORM_WIN32_CONSOLE_H_
#define QUILNOTE_PLATFORM_WIN32_CONSOLE_H_

#include <optional>
#include <string>

#include "base/console_text.h"

namespace quilnote::win32 {

// What WriteConsoleW writes for `text` on a stream that is a console: the
// program's own parts read as the Shift-JIS they are (code page 932), the
// names in them as the names they are, every character kept (other parts
// from the user as the ANSI code page they are in). Nothing when the
// stream is a file or a pipe (`console` false): there the bytes go out as
// they are, for whatever reads them.
std::optional<std::wstring> ConsoleCharacters(const TConsoleText& text, bool console);

// True when the console closes as the process ends, so the program waits
// for a key before ending: it has the console alone (`console_processes`
// is 1, as GetConsoleProcessList counts: it was started from Explorer, by
// a double-click or a drop, not from a console or a script) and reads its
// keyboard (`input_is_console`: standard input is not redirected).
bool PausesBeforeClosing(unsigned long console_processes, bool input_is_console);

}  // namespace quilnote::win32

#endif  // QUILNOTE_PLATFORM_WIN32_CONSOLE_H_
