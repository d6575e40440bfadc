// The command line: option values, their defaults and the argument scan.
#ifndef QUILNOTE_CLI_COMMAND_LINE_H_
#define QUILNOTE_CLI_COMMAND_LINE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/console.h"

namespace quilnote {

struct TCommandOptions {
  std::string TextFileName;
  std::string PdfFileName;
  char HelpFlag = 'n';           // 'y' once an argument is exactly "-?"
  char CompressionLetter = 'd';  // 'd' default, 'n' none, 'm' maximum, 'f' fastest
  char FontLetter = 'h';         // 'h', 'i', 'm' or 'g'
  char PageNumberLetter = 'n';   // 'y' prints page numbers
  // The text's encoding: 'n' none given (read as Shift-JIS), 's' Shift-JIS,
  // 'u' Unicode, 'e' EUC-JP, 'a' automatic.
  char EncodingLetter = 'n';
  std::string PaperCode = "A4P";
  int32_t HorizontalMargin = 30;
  int32_t VerticalMargin = 30;
  int32_t FontSize = 8;
};

// Reads `text` as a whole number: blanks, at most one sign, then decimal
// digits (-2147483648 to 2147483647) or "$", "X" or "0X" and upper-case
// hexadecimal digits up to FFFFFFFF, taken as a 32-bit two's-complement
// value; nothing after the digits. Anything else gives no value.
std::optional<int32_t> ParseWholeNumber(std::string_view text);

// Applies one argument to `options` (an option when it holds "-" anywhere,
// otherwise a file name), writing its messages to `messages`.
void ScanArgument(std::string_view argument, TCommandOptions& options, TLineSink& messages);

// `arguments` without the empty ones.
std::vector<std::string_view> NonEmptyArguments(const std::vector<std::string>& arguments);

}  // namespace quilnote

#endif  // QUILNOTE_CLI_COMMAND_LINE_H_
