// Console lines: every line the program writes to standard output or
// standard error ends with CR LF and is handed to the descriptor at once,
// checked one line at a time.
#ifndef QUILNOTE_BASE_CONSOLE_H_
#define QUILNOTE_BASE_CONSOLE_H_

#include <string>
#include <string_view>

namespace quilnote {

// The EInOutError message for an operating-system error number.
std::string InOutErrorMessage(int error_number);

// Writes `line` followed by CR LF to descriptor `fd`. Raises EInOutError when
// the descriptor does not take the whole line.
void WriteConsoleLine(int fd, std::string_view line);

// A statistics line on standard output.
inline void WriteStdoutLine(std::string_view line) { WriteConsoleLine(1, line); }

// The channel for the front end's messages and usage text: standard error,
// a line at a time.
class TErrorConsole {
 public:
  explicit TErrorConsole(int fd = 2) : fd_(fd) {}
  void WriteLine(std::string_view line) { WriteConsoleLine(fd_, line); }

 private:
  int fd_;
};

}  // namespace quilnote

#endif  // QUILNOTE_BASE_CONSOLE_H_
