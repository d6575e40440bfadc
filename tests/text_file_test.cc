#include "text/text_file.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "test_support.h"

namespace quilnote {
namespace {

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
  namespace fs = std::filesystem;
  test::TempDir dir;
  TLineList list;
  // A relative name with "." and "..", reached from the working folder as
  // it is: the message names the file by its absolute path.
  const fs::path folder = fs::weakly_canonical(dir.path());
  const std::string name =
      "./" + fs::relative(folder, fs::current_path()).string() + "/sub/../missing.txt";
  const std::string full = (folder / "missing.txt").string();
  try {
    LoadTextFile(list, name);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + full + "\". No such file or directory");
    // The path is kept apart from the program's words.
    ASSERT_EQ(e.Text().parts().size(), 3u);
    EXPECT_EQ(e.Text().parts()[1].bytes, full);
    EXPECT_TRUE(e.Text().parts()[1].from_user);
  }
}

TEST(LoadTextFileTest, ReadErrorAfterOpening) {
  test::TempDir dir;
  TLineList list;
  // A folder opens for reading but cannot be read.
  EXPECT_THROW(LoadTextFile(list, dir.path()), EReadError);
}

}  // namespace
}  // namespace quilnote
