// Console lines. Every line the program writes to standard output or
// standard error ends with CR LF and is handed to the stream the moment it
// is complete, so nothing waits in a buffer between lines.
#ifndef QUILNOTE_BASE_CONSOLE_H_
#define QUILNOTE_BASE_CONSOLE_H_

#include <memory>
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
  // True when the lines are shown to someone at a terminal (a console),
  // who may be told what a script reading them must not be.
  virtual bool IsTerminal() const { return false; }
};

// A console on one standard stream. It owns the CR LF line ends and is the
// one place that decides how text is shown on its stream, once, when it is
// made: on a terminal whose encoding is not Shift-JIS, the program's own
// texts are converted to that encoding, provided every one of them can
// be; bytes from the user (file names, paths) are shown as they are, since
// the user typed them in that terminal's encoding. A console that takes
// characters (Windows) is given them: TStdStream::WriteCharacters. Anywhere
// else, and when any text fails to convert, the bytes go out exactly as
// the program holds them.
class TConsole : public TLineSink {
 public:
  explicit TConsole(TStdStreamId id) noexcept;

  // Writes the line and CR LF. Raises EInOutError when the stream does not
  // take them.
  void WriteLine(const TConsoleText& line) override;
  bool IsTerminal() const override { return stream_.IsTerminal(); }

  // Writes a block that already holds its line ends, as one write that
  // never raises: the failure report, when nothing is left to report to.
  // Its bytes go out as ReportForConsole gives them, or as characters on
  // a console that takes them.
  void WriteBlockNoThrow(const TConsoleText& block) noexcept;

 private:
  TStdStream stream_;
  std::unique_ptr<TTerminalEncoding> encoding_;  // none: bytes as they are
};

// True when every text of the program's own converts with `encoding`.
bool ConvertsEveryProgramText(const TTerminalEncoding& encoding);

// The bytes that show `text` with `encoding` (none: as they are): the
// program's parts converted, the user's parts unchanged. A program part
// that does not convert (a report cut inside a character) is shown as it is.
std::string ShownBytes(const TConsoleText& text, const TTerminalEncoding* encoding);

}  // namespace quilnote

#endif  // QUILNOTE_BASE_CONSOLE_H_
