#include "text/line_list.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

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

}  // namespace
}  // namespace quilnote
