#include "text/line_list.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "test_support.h"
#include "text/text_file.h"

namespace quilnote {
namespace {

std::vector<std::string> LinesOf(const TLineList& list) {
  std::vector<std::string> lines = test::LinesOf(list.Reader());
  EXPECT_EQ(lines.size(), list.Count());
  return lines;
}

TEST(LineListTest, AssignTextSplitsAtEveryKindOfBreak) {
  using std::string_literals::operator""s;
  struct Case {
    std::string block;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb", {"a", "b"}},
      {"a\n", {"a"}},
      {"a\r\r\n", {"a", ""}},
      {"\n\r", {"", ""}},  // LF CR counts as two breaks
      {"\r\n", {""}},
      {"a\0b\nc"s, {"a"}},  // reading stops at the first NUL
      {"\0abc"s, {}},
      {"", {}},
      {"\r", {""}},
      {"a\rb\rc", {"a", "b", "c"}},
      {"x\n\n\ny", {"x", "", "", "y"}},
      {"\x82\n\xA0", {"\x82", "\xA0"}},
  };
  for (const Case& c : cases) {
    TLineList list;
    list.AssignText(c.block);
    EXPECT_EQ(LinesOf(list), c.lines) << test::BytesEqual("", c.block).message();
  }
}

TEST(LineListTest, JoinTextEndsEveryLineWithCrLf) {
  TLineList list;
  EXPECT_EQ(list.JoinText(), "");
  list.AssignText("a\rb\n\nc");
  EXPECT_EQ(list.JoinText(), "a\r\nb\r\n\r\nc\r\n");
  TLineList again;
  again.AssignText(list.JoinText());
  EXPECT_EQ(LinesOf(again), LinesOf(list));
}

TEST(LineListTest, AppendAddsWholeLinesAfterAnyEnding) {
  for (std::string start : {"", "x", "x\n", "x\r", "x\r\n"}) {
    TLineList list;
    list.AssignText(start);
    list.Append("");
    list.Append("y");
    std::vector<std::string> expected;
    if (!start.empty()) expected.push_back("x");
    expected.push_back("");
    expected.push_back("y");
    EXPECT_EQ(LinesOf(list), expected) << "after " << test::BytesEqual("", start).message();
  }
}

TEST(LineListTest, LineReadsByIndexInAnyOrder) {
  TLineList list;
  list.AssignText("zero\none\r\ntwo\rthree");
  EXPECT_EQ(list.Line(2), "two");
  EXPECT_EQ(list.Line(0), "zero");
  EXPECT_EQ(list.Line(3), "three");
  EXPECT_EQ(list.Line(1), "one");
  EXPECT_THROW(list.Line(4), std::out_of_range);
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
}

TEST(LoadTextFileTest, ReadsRegularFilesAndProcFiles) {
  test::TempDir dir;
  std::string big(3 << 20, 'x');  // larger than one read
  big[100] = '\n';
  test::WriteFile(dir.File("big.txt"), big);
  TLineList list;
  LoadTextFile(list, dir.File("big.txt"));
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Line(1).size(), big.size() - 101);

  // /proc files claim a size of 0.
  LoadTextFile(list, "/proc/self/status");
  EXPECT_GT(list.Count(), 3u);
}

TEST(LoadTextFileTest, UnopenableFilesNameTheFullPathAndReason) {
  test::TempDir dir;
  TLineList list;

  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  try {
    LoadTextFile(list, "./sub/../missing.txt");
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + dir.File("missing.txt") +
                  "\". No such file or directory");
    // The path is kept apart from the program's words.
    ASSERT_EQ(e.Text().parts().size(), 3u);
    EXPECT_EQ(e.Text().parts()[1].bytes, dir.File("missing.txt"));
    EXPECT_TRUE(e.Text().parts()[1].from_user);
  }
  ASSERT_EQ(::chdir("/"), 0);
}

TEST(LoadTextFileTest, ReadErrorAfterOpening) {
  test::TempDir dir;
  TLineList list;
  // A folder opens for reading but cannot be read.
  EXPECT_THROW(LoadTextFile(list, dir.path()), EReadError);
}

TEST(SystemErrorTextTest, DropsTrailingBlanksStopsAndControls) {
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
  EXPECT_EQ(FullPath("/a//b/./c/../d"), "/a/b/d");
}

}  // namespace
}  // namespace quilnote
