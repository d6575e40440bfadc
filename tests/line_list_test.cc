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
  std::vector<std::string> lines;
  TLineReader reader = list.Reader();
  std::string_view line;
  while (reader.Next(&line)) lines.emplace_back(line);
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

TEST(LoadTextFileTest, ReadsRegularFilesPipesAndProcFiles) {
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

  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  int writer_pid = ::fork();
  if (writer_pid == 0) {
    int fd = ::open(dir.File("fifo").c_str(), O_WRONLY);
    for (int i = 0; i < 1000; ++i) {
      if (::write(fd, "line\n", 5) != 5) _exit(1);
    }
    _exit(0);
  }
  LoadTextFile(list, dir.File("fifo"));
  EXPECT_EQ(list.Count(), 1000u);
  int status = 0;
  ::waitpid(writer_pid, &status, 0);
  EXPECT_EQ(status, 0);
}

TEST(LoadTextFileTest, UnopenableFilesNameTheFullPathAndReason) {
  test::TempDir dir;
  // A UNIX socket exists but cannot be opened, even by root (ENXIO).
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = dir.File("sock");
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::copy(path.begin(), path.end(), address.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  TLineList list;
  try {
    LoadTextFile(list, path);
    FAIL() << "opened a socket";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + path + "\". No such device or address");
  }
  ::close(sock);

  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  try {
    LoadTextFile(list, "./sub/../missing.txt");
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + dir.File("missing.txt") +
                  "\". No such file or directory");
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
