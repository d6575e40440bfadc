// How console text is shown: converted for a terminal that needs it, the
// user's bytes never touched, and redirected bytes exactly as they are.
#include "base/console.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace quilnote {
namespace {

using test::Sjis;

// Converts Shift-JIS to UTF-8 through the C library, as a terminal
// encoding would, or fails on every byte above 0x7F ("ascii").
class FakeEncoding : public TTerminalEncoding {
 public:
  explicit FakeEncoding(bool ascii) : ascii_(ascii) {}
  bool Convert(std::string_view text, std::string* converted) const override {
    std::optional<std::string> utf8 = test::Iconv(ascii_ ? "ASCII" : "UTF-8", "CP932", text);
    if (!utf8) return false;
    *converted = *utf8;
    return true;
  }

 private:
  bool ascii_;
};

TEST(ConsoleTest, ProgramTextsConvertedUserBytesUntouched) {
  const FakeEncoding utf8(false), ascii(true);
  EXPECT_TRUE(ConvertsEveryProgramText(utf8));
  EXPECT_FALSE(ConvertsEveryProgramText(ascii));

  const std::string user = "\xE8\xA1\xA8/\x95\x5C.txt";  // bytes as the user gave them
  TConsoleText text;
  text.Program(Sjis("行")).User(user).Program(" 0");
  EXPECT_EQ(ShownBytes(text, &utf8), "行" + user + " 0");
  EXPECT_EQ(ShownBytes(text, nullptr), Sjis("行") + user + " 0");
  // A program part cut inside a character is shown as it is.
  EXPECT_EQ(ShownBytes(TConsoleText(std::string_view("\x8D", 1)), &utf8), "\x8D");
}

// `locale -a` spells UTF-8 as "utf8".
bool HaveLocale(std::string name) {
  std::erase(name, '-');
  return test::RunShell("locale -a | grep -qix " + test::ShellQuote(name)).status == 0;
}

TEST(ProgramConsoleTest, TerminalsShowTheirEncodingPipesGetTheProgramsBytes) {
  test::TempDir dir;
  test::WriteFile(dir.File("in.txt"), "ABC\r\n");
  test::WriteFile(dir.File("utf8.txt"), "\xE3\x81\x82\n\xF0\x9F\x98\x80\n");  // あ, then an emoji
  const std::string statistics = "132 桁\r\n2 行\r\n2 行/ページ\r\n1 ページ\r\n";
  const std::string usage_sjis = test::RunQuilnote({}, dir.path()).err;
  const std::string usage_utf8 = *test::Iconv("UTF-8", "CP932", usage_sjis);
  ASSERT_NE(usage_sjis, usage_utf8);
  struct Case {
    std::vector<std::string> env;
    std::vector<std::string> args;
    std::string shown;
  } cases[] = {
      {{"LANG=C.UTF-8"}, {}, usage_utf8},
      {{"LC_ALL=C"}, {}, usage_sjis},  // ASCII cannot show Japanese: all as it is
      {{"LANG=C.UTF-8"},
       {"-cn", "in.txt", "o.pdf"},
       "132 桁\r\n1 行\r\n1 行/ページ\r\n1 ページ\r\n"},
      // Told only on a terminal, and only with no -e option: a text that
      // looks like Unicode, and the characters Shift-JIS does not have.
      {{"LANG=C.UTF-8"},
       {"-cn", "utf8.txt", "o.pdf"},
       "UTF-8かUTF-16のテキストのようです。-ea か -eu を付けると変換します\r\n" + statistics},
      {{"LANG=C.UTF-8"}, {"-es", "-cn", "utf8.txt", "o.pdf"}, statistics},
      {{"LANG=C.UTF-8"},
       {"-eu", "-cn", "utf8.txt", "o.pdf"},
       "Shift-JISにない文字を〓にしました: 1 個 (最初は 2 行目)\r\n" + statistics},
      {{"LC_ALL=C.UTF-8"},
       {"in.txt", "\xE8\xA1\xA8/o.pdf"},
       "Cannot create file \"" + dir.File("\xE8\xA1\xA8/o.pdf") + "\". No such file or directory."},
  };
  for (const Case& c : cases) {
    test::RunResult run = test::RunOnTerminal(c.args, c.env, dir.path());
    if (c.shown.rfind("Cannot", 0) == 0) {
      EXPECT_EQ(run.status, 1);
      EXPECT_NE(run.out.find(c.shown), std::string::npos) << test::BytesEqual(c.shown, run.out);
      continue;
    }
    EXPECT_EQ(run.status, 0);
#ifdef QUILNOTE_EMULATED
    // A static program under emulation may find no converters (the C
    // library loads them at run time): then every byte is shown as it is.
    if (run.out == *test::Iconv("CP932", "UTF-8", c.shown)) continue;
#endif
    EXPECT_TRUE(test::BytesEqual(c.shown, run.out)) << c.env[0];
  }
  // Redirected, nothing changes with the locale, not even the system's
  // words in a failure report.
  for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8"}) {
    if (!HaveLocale(locale)) continue;
    const std::string env = std::string("LANG=") + locale + " LC_ALL=" + locale + " ";
    test::RunResult piped = test::RunShell("cd " + test::ShellQuote(dir.path()) + " && " + env +
                                           "exec " + test::Exe() + " 2>&1 | cat");
    EXPECT_EQ(piped.out, usage_sjis) << locale;
    test::RunResult report = test::RunShell("cd " + test::ShellQuote(dir.path()) + " && " + env +
                                            "exec " + test::Exe() + " in.txt no/o.pdf");
    EXPECT_TRUE(test::IsReport(
        report.err, "EFCreateError",
        "Cannot create file \"" + dir.File("no/o.pdf") + "\". No such file or directory."))
        << locale;
  }
}

}  // namespace
}  // namespace quilnote
