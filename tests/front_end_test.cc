// The program as users run it: messages, usage text, exit statuses and the
// failure report, byte for byte through the real executable.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/console.h"
#include "cli/front_end.h"
#include "test_support.h"
#include "text/text_decode.h"

namespace quilnote {
namespace {

using test::BytesEqual;
using test::CrLfLines;
using test::RunQuilnote;
using test::Sjis;

std::string Usage() {
  return CrLfLines({
      "quilnote ver1.2",
      "usage: quilnote [-s -f -mp -ml -c -p]  textfile pdffile",
      "",
      Sjis(" 用紙       -sA4P(A4縦),-sA4L(A4横),-sA3P(A3縦),-sA3L(A3横),"
           "-sB4P(B4縦),-sB4L(B4横),-sB5P(B5縦),-sB5L(B5横)"),
      " FONT       -fm?\?(MS-Mincho(size?\?)),-fg?\?(MS-Gothic(size?\?))",
      "            -fi?\?(HeiseiMin-W3(size?\?)),-fh?\?(HeiseiKakugo-W5(size?\?))",
      Sjis(" 横マージン -ml?\?(size?\?)"),
      Sjis(" 縦マージン -mp?\?(size?\?)"),
      Sjis(" 圧縮       -cd(デフォルト),-cm(圧縮率優先),-cf(速度優先),-cn(圧縮なし)"),
      Sjis(" PageNo付加 -p"),
      Sjis(" 文字コード -es(Shift-JIS) -eu(UTF-8/UTF-16) -ee(EUC-JP) -ea(自動判別)"),
  });
}

const std::string kFontSizeMessage = "フォントサイズが数字ではありません";

class FrontEndTest : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteFile(dir_.File("in.txt"), "ABC\r\n\x82\xA0\x82\xA2\r\n"); }
  test::TempDir dir_;
};

TEST_F(FrontEndTest, MessagesUsageAndStatuses) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> messages;  // UTF-8; each one line on stderr
    bool usage;
  } cases[] = {
      {{}, {}, true},
      {{"-?"}, {}, true},
      {{"-fhx", "-mlq", "-mpq", "-?", "in.txt", "out.pdf"},
       {kFontSizeMessage, "横マージンが数字ではありません", "縦マージンが数字ではありません"},
       true},
      {{"-?x", "in.txt"}, {"Pdfファイルを指定してください"}, false},
      {{"in.txt"}, {"Pdfファイルを指定してください"}, false},
      {{"-p", "-cn"}, {"Pdfファイルを指定してください"}, false},
      {{"my-file.txt", "out.pdf"}, {"Pdfファイルを指定してください"}, false},
      {{"missing.txt", "out.pdf"}, {"Textファイルが見つかりません"}, false},
      {{".", "out.pdf"}, {"Textファイルが見つかりません"}, false},
      {{"-fh2147483648", "missing.txt", "out.pdf"},
       {kFontSizeMessage, "Textファイルが見つかりません"},
       false},
      {{"-fhx", "-p", "-p", "-p", "-p", "-p", "-ea", "missing.txt", "out.pdf"},  // nine
       {kFontSizeMessage, "Textファイルが見つかりません"},
       false},
      {{"-fhx", "b", "c", "d", "e", "f", "g", "h", "i", "j"}, {}, true},
  };
  for (const Case& c : cases) {
    test::RunResult run = RunQuilnote(c.args, dir_.path());
    std::string expected;
    for (const std::string& m : c.messages) expected += Sjis(m) + "\r\n";
    if (c.usage) expected += Usage();
    std::string why;
    for (const std::string& a : c.args) why += "[" + a + "]";
    EXPECT_TRUE(BytesEqual(expected, run.err)) << why;
    EXPECT_EQ(run.out, "") << why;
    EXPECT_EQ(run.status, 0) << why;
    struct stat info;
    EXPECT_NE(::stat(dir_.File("out.pdf").c_str(), &info), 0) << why << ": no file expected";
  }
}

TEST_F(FrontEndTest, ConversionPrintsStatisticsOnlyOnStandardOutput) {
  test::RunResult run = RunQuilnote({"-cn", "in.txt", "out.pdf"}, dir_.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(BytesEqual(
      CrLfLines({Sjis("132 桁"), Sjis("2 行"), Sjis("2 行/ページ"), Sjis("1 ページ")}), run.out));
  EXPECT_EQ(test::ReadFile(dir_.File("out.pdf")).size(), 1310u);
}

// Twenty Japanese manual pages as they are installed (UTF-8).
constexpr const char* kManualPages[] = {
    "ar",    "at",  "bzip2", "chmod", "ci",  "column", "cpio",  "dc",    "diff", "dig",
    "dmesg", "eqn", "file",  "ftp",   "gdb", "getopt", "gprof", "groff", "gzip", "hexdump",
};

TEST_F(FrontEndTest, EveryEncodingOfATextGivesTheDocumentOfItsShiftJisForm) {
  const std::string pages_dir = "/usr/share/man/ja/man1/";
  if (!std::filesystem::exists(pages_dir + "ar.1.gz")) {
    if (std::getenv("CI") != nullptr && std::string(std::getenv("CI")) == "true")
      FAIL() << "manpages-ja is not installed";
    GTEST_SKIP() << "manpages-ja is not installed";
  }
  REQUIRE_TOOL("iconv");
  // Every character that has a code, forty a line, in UTF-16LE and as
  // the table writes it.
  std::string every_sjis, every_utf16 = "\xFF\xFE";
  for (uint32_t c = 1, count = 0; c <= 0xFFFF; ++c) {
    const uint16_t code = Cp932Code(c);
    if (code == 0) continue;
    if (code > 0xFF) every_sjis += static_cast<char>(code >> 8);
    every_sjis += static_cast<char>(code & 0xFF);
    every_utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    if (++count % 40 == 0) {
      every_sjis += '\n';
      every_utf16 += {'\n', '\0'};
    }
  }
  test::WriteFile(dir_.File("e.sjis"), every_sjis);
  test::WriteFile(dir_.File("e.le"), every_utf16);
  // m: the pages, and their Shift-JIS and EUC-JP forms; both texts in UTF-8 and UTF-16.
  std::string shell = "cd " + test::ShellQuote(dir_.path()) + " && zcat";
  for (const char* page : kManualPages) shell += " " + pages_dir + page + ".1.gz";
  shell +=
      " >m.utf8 && iconv -f UTF-8 -t CP932 m.utf8 >m.sjis && iconv -f UTF-8 -t EUC-JP m.utf8 >m.euc"
      " && iconv -f UTF-16 -t UTF-8 e.le >e.utf8 && for t in m e; do"
      " { printf '\\377\\376'; iconv -f UTF-8 -t UTF-16LE $t.utf8; } >$t.le &&"
      " { printf '\\376\\377'; iconv -f UTF-8 -t UTF-16BE $t.utf8; } >$t.be || exit 1; done";
  ASSERT_EQ(test::RunShell(shell).status, 0);
  for (std::string text : {"m", "e"}) {
    const test::RunResult expected = RunQuilnote({"-cn", text + ".sjis", "s.pdf"}, dir_.path());
    ASSERT_EQ(expected.status, 0) << expected.err;
    const std::string pdf = test::ReadFile(dir_.File("s.pdf"));
    // No hint with redirected output, though the text looks like Unicode.
    EXPECT_EQ(RunQuilnote({"-cn", text + ".utf8", "u.pdf"}, dir_.path()).err, "");
    // -euc is -eu: EUC-JP is -ee, and only the pages have an EUC-JP form.
    for (auto [option, form] : {std::pair{"-eu", "utf8"},
                                {"-ea", "utf8"},
                                {"-EUC", "utf8"},
                                {"-eu", "le"},
                                {"-ea", "be"},
                                {"-ee", "euc"}}) {
      if (text == "e" && std::string(form) == "euc") continue;
      const std::string why = text + " " + option + " " + form;
      const test::RunResult run =
          RunQuilnote({"-cn", option, text + "." + form, "u.pdf"}, dir_.path());
      EXPECT_EQ(run.status, 0) << why;
      EXPECT_TRUE(BytesEqual(expected.out, run.out)) << why;
      EXPECT_TRUE(BytesEqual(expected.err, run.err)) << why;
      EXPECT_TRUE(BytesEqual(pdf, test::ReadFile(dir_.File("u.pdf")))) << why;
    }
  }
}

TEST_F(FrontEndTest, SameFileTwiceIsRefusedAndLeftUntouched) {
  const std::string original = test::ReadFile(dir_.File("in.txt"));
  ASSERT_EQ(::link(dir_.File("in.txt").c_str(), dir_.File("hard.txt").c_str()), 0);
  ASSERT_EQ(::symlink("in.txt", dir_.File("soft.txt").c_str()), 0);
  for (std::string other : {"in.txt", "./in.txt", "hard.txt", "soft.txt", "sub/../in.txt"}) {
    ::mkdir(dir_.File("sub").c_str(), 0700);
    test::RunResult run = RunQuilnote({"in.txt", other}, dir_.path());
    EXPECT_TRUE(BytesEqual(Sjis("TextファイルとPdfファイルが同じです") + "\r\n", run.err)) << other;
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(test::ReadFile(dir_.File("in.txt")), original) << other;
  }
}

// Every file of `dir` with its bytes.
std::map<std::string, std::string> Folder(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    files[entry.path().filename().string()] =
        entry.is_symlink() ? "-> " + std::filesystem::read_symlink(entry).string()
                           : test::ReadFile(entry.path().string());
  }
  return files;
}

TEST_F(FrontEndTest, AFileThatIsNotAPdfIsNeverOverwritten) {
  const std::string pdf = "%PDF-1.3\n% an earlier result\n";
  const std::string junk_then_pdf = "\xEF\xBB\xBF\r\n%PDF-1.3\n";
  const std::string late_signature = std::string(1020, 'x') + "%PDF-";  // not wholly in 1,024
  struct Case {
    std::vector<std::string> args;
    bool refused;
  } cases[] = {
      {{"a.txt", "b.txt", "c.txt"}, true},     // quilnote *.txt
      {{"-o", "out.pdf", "notes.txt"}, true},  // "-o" is an option that matches nothing
      {{"report.pdf", "in.txt"}, true},        // swapped names after a first run
      {{"in.txt", "link.pdf"}, true},          // a symbolic link to a text file
      {{"in.txt", "late.pdf"}, true},         {{"in.txt", "empty.pdf"}, false},
      {{"in.txt", "report.pdf"}, false},  // a PDF, even a broken one
      {{"in.txt", "junk.pdf"}, false},        {{"in.txt", "new.pdf"}, false},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "notes.txt"}) {
      test::WriteFile(dir.File(name), std::string("text of ") + name + "\r\n");
    }
    test::WriteFile(dir.File("in.txt"), "ABC\r\n");
    test::WriteFile(dir.File("out.pdf"), pdf);
    test::WriteFile(dir.File("report.pdf"), pdf);
    test::WriteFile(dir.File("late.pdf"), late_signature);
    test::WriteFile(dir.File("empty.pdf"), "");
    test::WriteFile(dir.File("junk.pdf"), junk_then_pdf);
    ASSERT_EQ(::symlink("notes.txt", dir.File("link.pdf").c_str()), 0);
    const auto before = Folder(dir.path());
    test::RunResult run = RunQuilnote(c.args, dir.path());
    std::string why;
    for (const std::string& a : c.args) why += "[" + a + "]";
    EXPECT_EQ(run.status, 0) << why;
    if (c.refused) {
      EXPECT_TRUE(BytesEqual(Sjis("Pdfファイルが既にあり、PDFではありません") + "\r\n", run.err))
          << why;
      EXPECT_EQ(run.out, "") << why;
      EXPECT_EQ(Folder(dir.path()), before) << why << ": the folder changed";
    } else {
      EXPECT_EQ(run.err, "") << why;
      EXPECT_EQ(test::ReadFile(dir.File(c.args.back())).substr(0, 9), "%PDF-1.3\n") << why;
    }
  }
}

TEST_F(FrontEndTest, FailureReportsNameTheErrorAndEndWithStatusOne) {
  struct Case {
    std::vector<std::string> args;
    std::string type;
    std::string message;  // UTF-8, "." added by the report
    std::string out;      // expected standard output, UTF-8 lines
  } cases[] = {
      {{"-fh0", "in.txt", "out.pdf"}, "EDivByZero", "Division by zero.", ""},
      {{"-sa4l", "-ml1073742245", "-fh-1", "in.txt", "out.pdf"},
       "EIntOverflow",
       "Arithmetic overflow.",
       ""},
      {{"-mp500", "in.txt", "out.pdf"}, "EDivByZero", "Division by zero.", "132 桁"},
      {{"in.txt", "nofolder/out.pdf"},
       "EFCreateError",
       "Cannot create file \"" + dir_.File("nofolder/out.pdf") + "\". No such file or directory.",
       ""},
      {{"in.txt", "."},
       "EFCreateError",
       "Cannot create file \"" + dir_.path() + "\". Is a directory.",
       ""},
  };
  for (const Case& c : cases) {
    test::RunResult run = RunQuilnote(c.args, dir_.path());
    EXPECT_EQ(run.status, 1) << c.type;
    EXPECT_TRUE(test::IsReport(run.err, c.type, Sjis(c.message))) << c.type;
    EXPECT_EQ(run.out, c.out.empty() ? "" : Sjis(c.out) + "\r\n") << c.type;
  }
}

TEST(FailureReportTest, LongMessagesAreCutAtTheLimit) {
  Exception error(std::string(2000, 'x'));
  std::string report = FailureReport(error, "quilnote").Bytes();
  EXPECT_EQ(report.size(), 1026u);
  EXPECT_EQ(report.substr(1024), "\r\n");
  EXPECT_EQ(report[1023], 'x');

  std::string dotted = FailureReport(Exception("ends."), "m").Bytes();
  EXPECT_EQ(dotted.substr(dotted.find("\r\n") + 2), "ends.\r\n\r\n");
  std::string empty = FailureReport(Exception(""), "m").Bytes();
  EXPECT_EQ(empty.substr(empty.size() - 7), ".\r\n\r\n\r\n");
}

}  // namespace
}  // namespace quilnote
