// What a run may destroy: only the file it is given as the PDF file, and
// that one only once the text has been read. Files swapped onto the name
// during a run, and files whose start cannot be read, survive. (The
// executable's runs against other files are among the fault tests.)
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/output_file.h"
#include "pdf/convert.h"
#include "test_support.h"

namespace quilnote {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kEarlierPdf = "%PDF-1.3\n% an earlier result\n";
const std::string kText = "ABC\r\n\x82\xA0\x82\xA2\r\n";
const std::string kVictim = "a text the user keeps\r\n";

// Moves `from` onto `to` the moment the PDF file has been opened.
class TMoveOntoName : public TOutputFileAccess {
 public:
  TMoveOntoName(std::string from, std::string to) : from_(std::move(from)), to_(std::move(to)) {}
  void Opened() override { ASSERT_EQ(std::rename(from_.c_str(), to_.c_str()), 0); }

 private:
  std::string from_, to_;
};

// Fails every read of the file's start with `code`.
class TFailingRead : public TOutputFileAccess {
 public:
  explicit TFailingRead(int code) : code_(code) {}
  size_t ReadAt(TFile&, uint64_t, char*, size_t) override { throw EReadError(code_); }

 private:
  int code_;
};

std::string Convert(const std::string& text, const std::string& pdf, TConversion* result,
                    TOutputFile* pdf_file = nullptr) {
  test::TStringSink statistics;
  *result = ConvertTextFile(text, pdf, 'n', 'h', 'n', "A4P", 30, 30, 8, statistics, pdf_file);
  return statistics.text;
}

TEST(OutputFileRaceTest, WhatLandsOnTheNameAfterTheOpenIsNeverTouched) {
  struct Case {
    const char* what;
    bool earlier_pdf;     // out.pdf exists before the run (kept.pdf links to it)
    std::string link_to;  // or out.pdf is a symbolic link to this
    std::string from;     // moved onto `to` right after the PDF file is opened
    std::string to;
    TConversion result;
  } cases[] = {
      {"a text moved over an existing PDF", true, "", "victim.txt", "out.pdf",
       TConversion::kWritten},
      {"a text put where no file was", false, "", "victim.txt", "out.pdf", TConversion::kWritten},
      {"the PDF moved onto the text's name", true, "", "out.pdf", "in.txt", TConversion::kSameFile},
      {"a link to a device turned to a text", false, "/dev/null", "victim.lnk", "out.pdf",
       TConversion::kWritten},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    WriteFile(dir.File("in.txt"), kText);
    WriteFile(dir.File("victim.txt"), kVictim);
    ASSERT_EQ(::symlink(dir.File("victim.txt").c_str(), dir.File("victim.lnk").c_str()), 0);
    if (c.earlier_pdf) {
      WriteFile(dir.File("out.pdf"), kEarlierPdf);
      ASSERT_EQ(::link(dir.File("out.pdf").c_str(), dir.File("kept.pdf").c_str()), 0);
    }
    if (!c.link_to.empty()) {
      ASSERT_EQ(::symlink(c.link_to.c_str(), dir.File("out.pdf").c_str()), 0);
    }
    TMoveOntoName move(dir.File(c.from), dir.File(c.to));
    TOutputFile pdf_file = TOutputFile::Open(dir.File("out.pdf"), move);
    TConversion result;
    Convert(dir.File("in.txt"), dir.File("out.pdf"), &result, &pdf_file);
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

TEST(OutputFileRaceTest, AStartThatCannotBeReadFailsTheRunAndKeepsTheFile) {
  test::TempDir dir;
  WriteFile(dir.File("notes.txt"), kVictim);
  TFailingRead failing(EIO);
  try {
    TOutputFile::Open(dir.File("notes.txt"), failing);
    ADD_FAILURE() << "a file whose start failed to read was opened";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create file \"" + dir.File("notes.txt") + "\". " + SystemErrorText(EIO));
  }
  EXPECT_EQ(ReadFile(dir.File("notes.txt")), kVictim);
}

}  // namespace
}  // namespace quilnote
