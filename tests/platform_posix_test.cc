// The POSIX platform layer's own texts: error descriptions, messages by
// error number, and absolute paths.
#include "base/platform.h"

#include <cerrno>

#include <gtest/gtest.h>

namespace quilnote {
namespace {

TEST(SystemErrorTextTest, DropsTrailingBlanksStopsAndControls) {
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
  struct Case {
    std::string text;
    std::string trimmed;
  } cases[] = {
      {"No such file or directory. \n", "No such file or directory"},
      {"Disk full.\r\n", "Disk full"},
      {"a.b \t.\x7F", "a.b"},
      {" . \n", ""},
      {"", ""},
      {"Unknown error 999", "Unknown error 999"},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimSystemText(c.text), c.trimmed) << c.text;
}

TEST(FullPathTest, ResolvesDotsAndRepeatedSeparatorsByName) {
  EXPECT_EQ(FullPath("/a//b/./c/../d"), "/a/b/d");
}

TEST(InOutErrorMessageTest, MessagesByErrorNumber) {
  struct Case {
    int error;
    const char* message;
  } cases[] = {
      {ENOENT, "File not found"},      {ENAMETOOLONG, "Invalid filename"},
      {ENOTDIR, "Invalid filename"},   {EMFILE, "Too many open files"},
      {ENFILE, "Too many open files"}, {EACCES, "File access denied"},
      {EPERM, "File access denied"},   {EROFS, "File access denied"},
      {ENOSPC, "Disk full"},           {EDQUOT, "Disk full"},
      {EPIPE, "I/O error 32"},         {EBADF, "I/O error 9"},
      {EFBIG, "I/O error 27"},         {EIO, "I/O error 5"},
  };
  for (const Case& c : cases) EXPECT_EQ(InOutErrorMessage(c.error), c.message) << c.error;
}

}  // namespace
}  // namespace quilnote
