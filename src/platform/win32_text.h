// Text between the program and Windows: file names, which the program
// holds as WTF-8 and the system takes as UTF-16; names shown in messages,
// which go out in the ANSI code page; options, which are read in code page
// 932; and the failure report, shown in the OEM code page. Part of the
// Windows twin of platform.h, and used by nothing else.
#ifndef QUILNOTE_PLATFORM_WIN32_TEXT_H_
#define QUILNOTE_PLATFORM_WIN32_TEXT_H_

#include <string>
#include <string_view>

namespace quilnote::win32 {

// `name` (WTF-8) as the UTF-16 string the system functions take. A name
// whose full path reaches MAX_PATH characters is given as that full path
// behind "\\?\" ("\\?\UNC\" for a share), so that it is reached whatever
// its length; shorter names go as they are, relative or not, so devices
// such as "NUL" and "CONOUT$" keep their meaning.
std::wstring SystemName(std::string_view name);

// The absolute form of `name` (UTF-16) with "." and ".." resolved, as the
// system makes it; empty when it cannot.
std::wstring FullPathOf(const std::wstring& name);

// UTF-16 `text` in the ANSI code page, for showing: a character the code
// page lacks becomes "?", never a look-alike (no "best fit": an e with an
// accent does not become e).
std::string ShownText(std::wstring_view text);

// WTF-8 `text` as UTF-16, unchanged otherwise.
std::wstring Wide(std::string_view text);

// WTF-8 `text` in code page 932, for reading as an option: "?" for what
// 932 lacks, never a look-alike.
std::string CodePage932(std::string_view text);

// ANSI code page bytes in the OEM code page, as CharToOemA converts them,
// when the two differ; `text` itself when they are the same (converting
// 932 to 932 would not give every byte back) or when it cannot convert.
std::string AnsiToOem(std::string_view text);

}  // namespace quilnote::win32

#endif  // QUILNOTE_PLATFORM_WIN32_TEXT_H_
