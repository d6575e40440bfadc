// What a run may destroy: only the file it is given as the PDF file, and
// that one only once the text has been read. Files swapped onto the name
// during a run, files another run holds, files that may be read or written
// but not both, and an earlier PDF when the text fails all survive.
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/output_file.h"
#include "pdf/convert.h"
#include "test_support.h"

namespace quilnote {
namespace {

using test::IsReport;
using test::ReadFile;
using test::RunResult;
using test::ShellQuote;
using test::WriteFile;

const std::string kEarlierPdf = "%PDF-1.3\n% an earlier result\n";
const std::string kText = "ABC\r\n\x82\xA0\x82\xA2\r\n";
const std::string kVictim = "a text the user keeps\r\n";

// What the hook does at the moment the PDF file has been opened.
std::string g_from, g_to;
void MoveOntoName() {
  ASSERT_EQ(std::rename(g_from.c_str(), g_to.c_str()), 0);
}

class HookGuard {
 public:
  HookGuard() { g_after_output_file_opened = MoveOntoName; }
  ~HookGuard() { g_after_output_file_opened = nullptr; }
};

std::string Convert(const std::string& text, const std::string& pdf, TConversion* result) {
  test::TStringSink statistics;
  *result = ConvertTextFile(text, pdf, 'n', 'h', 'n', "A4P", 30, 30, 8, statistics);
  return statistics.text;
}

TEST(OutputFileRaceTest, WhatLandsOnTheNameAfterTheOpenIsNeverTouched) {
  struct Case {
    const char* what;
    bool earlier_pdf;  // out.pdf exists before the run (kept.pdf links to it)
    std::string from;  // moved onto `to` right after the PDF file is opened
    std::string to;
    TConversion result;
  } cases[] = {
      {"a text moved over an existing PDF", true, "victim.txt", "out.pdf", TConversion::kWritten},
      {"a text put where no file was", false, "victim.txt", "out.pdf", TConversion::kWritten},
      {"the PDF moved onto the text's name", true, "out.pdf", "in.txt", TConversion::kSameFile},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    WriteFile(dir.File("in.txt"), kText);
    WriteFile(dir.File("victim.txt"), kVictim);
    if (c.earlier_pdf) {
      WriteFile(dir.File("out.pdf"), kEarlierPdf);
      ASSERT_EQ(::link(dir.File("out.pdf").c_str(), dir.File("kept.pdf").c_str()), 0);
    }
    g_from = dir.File(c.from);
    g_to = dir.File(c.to);
    TConversion result;
    {
      HookGuard hook;
      Convert(dir.File("in.txt"), dir.File("out.pdf"), &result);
    }
    EXPECT_EQ(result, c.result) << c.what;
    if (c.to == "out.pdf") {
      EXPECT_EQ(ReadFile(dir.File("out.pdf")), kVictim) << c.what;
    }
    if (c.result == TConversion::kSameFile) {
      EXPECT_EQ(ReadFile(dir.File("in.txt")), kEarlierPdf) << c.what;
    } else if (c.earlier_pdf) {
      // The conversion went into the file that was opened.
      TConversion fresh;
      Convert(dir.File("in.txt"), dir.File("new.pdf"), &fresh);
      EXPECT_TRUE(test::BytesEqual(ReadFile(dir.File("new.pdf")), ReadFile(dir.File("kept.pdf"))))
          << c.what;
    }
  }
}

// The program runs as an ordinary user where the test runs as root, whose
// permissions would let it read and write anything.
RunResult RunAsUser(const std::string& dir, const std::string& command) {
  const std::string as_user =
      ::geteuid() == 0 ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups " : "exec ";
  return test::RunShell("cd " + ShellQuote(dir) + " && " + as_user + "sh -c " +
                        ShellQuote(command));
}

TEST(OutputFileTest, EachFileTheRunMustNotDestroySurvives) {
  // A copy of the program that an ordinary user may run, wherever the build is.
  test::TempDir bin;
  ASSERT_EQ(::chmod(bin.path().c_str(), 0755), 0);
  ASSERT_EQ(test::RunShell("cp " + test::Exe() + " " + ShellQuote(bin.File("quilnote"))).status, 0);
  const std::string exe = ShellQuote(bin.File("quilnote"));
  const std::string refusal = test::Sjis("Pdfファイルが既にあり、PDFではありません") + "\r\n";
  struct Case {
    const char* what;
    std::string setup;    // shell commands in the folder, before the run
    std::string command;  // the run
    int status;
    std::string err_type;  // a failure report of this type, or
    std::string err;       // exactly this on standard error
    std::string kept;      // a file whose bytes must not change
    std::string written;   // a file that must hold a PDF afterwards
  } cases[] = {
      {"a text that cannot be opened beside an earlier PDF", "chmod 000 in.txt",
       exe + " in.txt out.pdf", 1, "EFOpenError", "", "out.pdf", ""},
      {"a text that fails while read beside an earlier PDF", "", exe + " /proc/self/mem out.pdf", 1,
       "EReadError", "", "out.pdf", ""},
      {"a read-only file that is not a PDF", "cp in.txt ro.pdf && chmod 444 ro.pdf",
       exe + " in.txt ro.pdf", 0, "", refusal, "ro.pdf", ""},
      {"a read-only PDF", "chmod 444 out.pdf", exe + " in.txt out.pdf", 1, "EFCreateError", "",
       "out.pdf", ""},
      {"a write-only file is written unseen", "cp in.txt wo.pdf && chmod 222 wo.pdf",
       exe + " in.txt wo.pdf", 0, "", "", "in.txt", "wo.pdf"},
      {"a FIFO is written", "mkfifo -m 666 fifo.pdf",
       // The reader is ended when the program fails, so that it never waits for ever.
       "cat fifo.pdf > got.pdf & reader=$!; " + exe +
           " in.txt fifo.pdf; status=$?; [ $status = 0 ] || kill $reader; wait; exit $status",
       0, "", "", "in.txt", "got.pdf"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    WriteFile(dir.File("in.txt"), kText);
    WriteFile(dir.File("out.pdf"), kEarlierPdf);
    ASSERT_EQ(test::RunShell("cd " + ShellQuote(dir.path()) + " && chmod 666 in.txt out.pdf && " +
                             (c.setup.empty() ? ":" : c.setup))
                  .status,
              0)
        << c.what;
    const std::string kept_before = ReadFile(dir.File(c.kept));
    RunResult run = RunAsUser(dir.path(), c.command);
    EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
    if (!c.err_type.empty()) {
      EXPECT_EQ(run.err.find("Exception " + c.err_type + " "), 0u) << c.what << ": " << run.err;
    } else {
      EXPECT_EQ(run.err, c.err) << c.what;
    }
    test::RunShell("chmod -R a+rw " + ShellQuote(dir.path()));
    if (!c.written.empty()) {
      EXPECT_EQ(ReadFile(dir.File(c.written)).substr(0, 9), "%PDF-1.3\n") << c.what;
    }
    EXPECT_EQ(ReadFile(dir.File(c.kept)), kept_before) << c.what;
  }
}

TEST(OutputFileTest, AFileHeldByAnotherRunIsReportedAsInUse) {
  test::TempDir dir;
  WriteFile(dir.File("in.txt"), kText);
  WriteFile(dir.File("out.pdf"), kEarlierPdf);
  RunResult run = test::RunShell("cd " + ShellQuote(dir.path()) + " && exec flock -n out.pdf " +
                                 test::Exe() + " in.txt out.pdf");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(IsReport(run.err, "EFCreateError",
                       "Cannot create file \"" + dir.File("out.pdf") +
                           "\". The file is in use by another process."));
  EXPECT_EQ(ReadFile(dir.File("out.pdf")), kEarlierPdf);
}

}  // namespace
}  // namespace quilnote
