// Console lines. Every line the program writes to standard output or
// standard error ends with CR LF and is handed to the stream the moment it
// is complete, so nothing waits in a buffer between lines.
#ifndef QUILNOTE_BASE_CONSOLE_H_
#define QUILNOTE_BASE_CONSOLE_H_

#include <string>

#include "base/console_text.h"
#include "base/platform.h"

namespace quilnote {

// Where finished lines go: the statistics lines of a conversion and the
// front end's messages. Passed down to whoever writes them, so a signature
// says which routines print.
class TLineSink {
 public:
  virtual ~TLineSink() = default;
  // Takes one complete line, without its line end. Raises what the
  // destination raises (EInOutError for a console).
  virtual void WriteLine(const TConsoleText& line) = 0;
};

// A console on one standard stream. It owns the CR LF line ends and is the
// one place that decides how text is shown on its stream.
class TConsole : public TLineSink {
 public:
  explicit TConsole(TStdStreamId id) : stream_(id) {}

  // Writes the line and CR LF. Raises EInOutError when the stream does not
  // take them.
  void WriteLine(const TConsoleText& line) override;

  // Writes a block that already holds its line ends, as one write that
  // never raises: the failure report, when nothing is left to report to.
  void WriteBlockNoThrow(const TConsoleText& block) noexcept;

 private:
  // The bytes that show `text` on this console.
  std::string Shown(const TConsoleText& text) const { return text.Bytes(); }

  TStdStream stream_;
};

}  // namespace quilnote

#endif  // QUILNOTE_BASE_CONSOLE_H_
