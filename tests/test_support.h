// Helpers shared by the tests: temporary folders, running the executable,
// byte comparisons with readable diffs, PDF structure checks, external tools.
// test_support.cc holds the portable ones; test_support_posix.cc the ones
// that need POSIX (temporary folders, iconv, processes, tools), and
// test_support_win32.cc Sjis for the Windows build, whose tests use no more.
#ifndef QUILNOTE_TESTS_TEST_SUPPORT_H_
#define QUILNOTE_TESTS_TEST_SUPPORT_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "base/console.h"
#include "checks.h"

namespace quilnote::test {

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);

// `bytes` converted by the C library's iconv, or nothing when they do not
// convert.
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view bytes);

// Shift-JIS bytes of a UTF-8 text, converted by the system (iconv on POSIX,
// code page 932 on Windows), so that expected messages do not depend on the
// program's own tables.
std::string Sjis(std::string_view utf8);

struct RunResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
  long max_rss_kb = 0;  // peak resident memory of the command
};

// Runs `command` with /bin/sh, capturing standard output and error. A
// command that ends in `exec` measures the program's own peak memory.
RunResult RunShell(const std::string& command);
// Runs the executable with `args` in folder `cwd`, its standard output and
// standard error both on one pseudo-terminal in raw mode (no line-end
// translation), with exactly the environment `env` ("NAME=value" items).
// `out` holds everything shown on the terminal.
RunResult RunOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                        const std::string& cwd);
// Quotes a word for the shell.
std::string ShellQuote(std::string_view word);
// The path of the built executable, quoted.
std::string Exe();
// Runs the executable with `args`, in folder `cwd` when not empty.
RunResult RunQuilnote(const std::vector<std::string>& args, const std::string& cwd = "");

// Compares byte strings; on a difference, says where and shows both sides
// around it with control and non-ASCII bytes escaped.
::testing::AssertionResult BytesEqual(std::string_view expected, std::string_view actual);

// Every line of `text` joined with CR LF after each.
std::string CrLfLines(const std::vector<std::string>& lines);

// Collects the lines written to it, each followed by CR LF, as a console
// would write them.
class TStringSink : public TLineSink {
 public:
  void WriteLine(const TConsoleText& line) override { text += line.Bytes() + "\r\n"; }
  std::string text;
};

// True when `err` is exactly one failure report of error type `type` with
// `message` (its final "." included): "Exception <type> in module quilnote
// at <16 hexadecimal digits>." CR LF, the message, CR LF, CR LF.
::testing::AssertionResult IsReport(const std::string& err, const std::string& type,
                                    const std::string& message);

// Every line of `reader` (a TLineReader or a TWrappedReader), in order.
template <typename Reader>
std::vector<std::string> LinesOf(Reader reader) {
  std::vector<std::string> lines;
  for (std::string_view line; reader.Next(&line);) lines.emplace_back(line);
  return lines;
}

// Inflates a zlib stream; fails the test when it is not one.
std::string Inflate(std::string_view zlib_stream);

// True when the tool can be run. When it cannot, the test is skipped,
// except under CI=true, where a missing tool is a failure.
bool HaveTool(const std::string& name);

// The stream data of object `number` (between "stream\n" and
// "\nendstream") in a PDF written by the program.
std::string StreamOf(std::string_view pdf, int number);

// The three font objects 3, 4 and 5 naming `name`, as written after the
// header line.
std::string ExpectedFontObjects(const std::string& name);

}  // namespace quilnote::test

#define REQUIRE_TOOL(name)                                                          \
  do {                                                                              \
    if (!::quilnote::test::HaveTool(name)) {                                        \
      if (std::getenv("CI") != nullptr && std::string(std::getenv("CI")) == "true") \
        FAIL() << "required tool missing: " << (name);                              \
      GTEST_SKIP() << "tool not installed: " << (name);                             \
    }                                                                               \
  } while (0)

#endif  // QUILNOTE_TESTS_TEST_SUPPORT_H_
