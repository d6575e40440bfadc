// Windows hands a program its command line as one string, in UTF-16 (or,
// through the older functions, in Shift-JIS); this takes it apart into
// arguments. Pure unit work, so it builds and is tested on every platform.
#ifndef QUILNOTE_BASE_COMMAND_LINE_SPLIT_H_
#define QUILNOTE_BASE_COMMAND_LINE_SPLIT_H_

#include <string>
#include <string_view>
#include <vector>

namespace quilnote {

// The arguments after the program name. The rules, byte by byte:
//  - Arguments are separated by runs of bytes 0x01-0x20 (blanks, tabs and
//    other control bytes). Every other byte, 0x00 and 0x7F included, is
//    part of an argument.
//  - A double quote opens a quoted stretch that ends at the next double
//    quote or at the end of the string; separator bytes inside it belong to
//    the argument. The double quotes themselves are dropped. Quoted and
//    unquoted stretches that touch make one argument: a"b c"d is "ab cd".
//  - A backslash is an ordinary byte, also before a double quote.
//  - A Shift-JIS lead byte (0x81-0x9F, 0xE0-0xFC) always takes the next byte
//    along, whatever it is (0x20, 0x22 and 0x5C too), so a two-byte
//    character never ends an argument, opens or closes a quoted stretch.
//    A lead byte that is the last byte of the string stands alone.
//  - No argument is ever empty. Where an argument would start, empty quoted
//    stretches ("" or a lone " as the last byte) are skipped together with
//    the separators after them, as often as they come. So `a "" b` gives a
//    and b, `""x` gives x, `"" "x y"` gives "x y", and `"" ""` at the end
//    gives nothing. Past its first byte an argument is never empty, so this
//    is the same as dropping every argument made only of empty quoted
//    stretches.
//  - The first argument found this way is the program name, which is not
//    returned.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// The same rules on UTF-16 units, where every unit is a character of its
// own: no unit takes the next along, so the rule on lead bytes has nothing
// to act on (a surrogate is never a blank, a control or a double quote).
std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line);

}  // namespace quilnote

#endif  // QUILNOTE_BASE_COMMAND_LINE_SPLIT_H_
