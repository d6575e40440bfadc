#include "text/wrap.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "test_support.h"

namespace quilnote {
namespace {

std::vector<std::string> LinesOf(const TWrappedLines& wrapped) {
  std::vector<std::string> lines = test::LinesOf(wrapped.ReaderAt(0));
  EXPECT_EQ(lines.size(), wrapped.Count());
  return lines;
}

// Wraps `text` and returns the column count line and the piece sizes.
std::pair<std::string, std::vector<size_t>> Wrap(const std::string& text, TWrapSettings settings) {
  TLineList list;
  list.AssignText(text);
  test::TStringSink out;
  std::vector<size_t> sizes;
  for (const std::string& line : LinesOf(WrapLines(list, settings, 0, out))) {
    sizes.push_back(line.size());
  }
  return {out.text, sizes};
}

const std::string kDouble = "\x82\xA0";

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(WrapLinesTest, CutsWideLinesAtTheirThresholds) {
  const TWrapSettings a4{595, 30, 8};
  struct Case {
    std::string text;
    TWrapSettings settings;
    std::string columns;  // UTF-8 column count line, without CR LF
    std::vector<size_t> sizes;
  } cases[] = {
      {std::string(133, 'a'), a4, "132 桁", {133}},
      {std::string(134, 'a'), a4, "132 桁", {133, 1}},
      {std::string(200, 'a'), a4, "132 桁", {133, 67}},
      {Repeat(kDouble, 100), a4, "132 桁", {132, 68}},
      {std::string(132, 'a') + kDouble + std::string(10, 'b'), a4, "132 桁", {134, 10}},
      {std::string(140, 'a') + "\x82\nnext", a4, "132 桁", {133, 8, 4}},
      // 0x82 takes "A" along as one two-byte unit.
      {std::string(132, 'a') +
           "\x82"
           "A" +
           std::string(10, 'b'),
       a4,
       "132 桁",
       {134, 10}},
      {std::string(300, 'a') + "\n\n", TWrapSettings{595, 30, 1}, "1070 桁", {300, 0}},
      {std::string(200, 'a'), TWrapSettings{595, 30, 9}, "118 桁", {133, 67}},
      {"ab\n\n" + kDouble + "c", TWrapSettings{100, 55, 8}, "-2 桁", {1, 1, 2, 1}},
      {std::string(135, '\x80') + std::string(2, '\xFD'), a4, "132 桁", {133, 4}},
      {std::string(135, '\xA0'), a4, "132 桁", {133, 2}},
  };
  for (const Case& c : cases) {
    auto [columns, sizes] = Wrap(c.text, c.settings);
    EXPECT_TRUE(test::BytesEqual(test::Sjis(c.columns) + "\r\n", columns)) << c.columns;
    EXPECT_EQ(sizes, c.sizes) << c.columns << " " << c.text.size();
  }
}

TEST(WrapLinesTest, DivisionFailuresComeBeforeAnything) {
  TLineList list;
  list.AssignText("abc");
  test::TStringSink out;
  EXPECT_THROW(WrapLines(list, {595, 30, 0}, 0, out), EDivByZero);
  EXPECT_THROW(WrapLines(list, {842, 1073742245, -1}, 0, out), EIntOverflow);
  EXPECT_EQ(out.text, "");
}

// The wrapping rules written out plainly: a list of copied pieces.
std::vector<std::string> ModelWrap(const std::vector<std::string>& lines, int32_t a, int32_t fs) {
  std::vector<std::string> result;
  auto width = [&](size_t n) { return Mul32(Low32(n), fs / 2); };
  for (const std::string& line : lines) {
    if (width(line.size()) <= a) {
      result.push_back(line);
      continue;
    }
    std::string piece;
    for (size_t i = 0; i < line.size(); ++i) {
      unsigned char b = static_cast<unsigned char>(line[i]);
      piece += line[i];
      bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
      if (lead) {
        if (i + 1 < line.size()) piece += line[++i];
        if (width(piece.size()) > Sub32(a, fs)) result.push_back(std::move(piece)), piece.clear();
      } else if (width(piece.size()) > Sub32(a, fs / 2)) {
        result.push_back(std::move(piece));
        piece.clear();
      }
    }
    if (!piece.empty()) result.push_back(piece);
  }
  return result;
}

TEST(WrapLinesTest, AgreesWithPlainModelOnGeneratedText) {
  std::mt19937 random(2024);
  const unsigned char alphabet[] = {'a',  ' ',  0x82, 0x9F, 0xE0, 0xFC, 0x40, 0xA0,
                                    0xDF, 0x80, 0xFD, 0xFF, 0x81, '\r', '\n', '\n'};
  const int32_t widths[] = {595, 842, 100, 1032};
  const int32_t margins[] = {30, 0, 55, -20, 290};
  const int32_t fonts[] = {8, 1, 9, 2, 3, 24, -8, 100};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    int length = static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i)
      text += static_cast<char>(alphabet[random() % sizeof alphabet]);
    TWrapSettings settings{widths[random() % 4], margins[random() % 5], fonts[random() % 8]};
    int32_t a = Sub32(settings.PageWidth, Mul32(2, settings.HorizontalMargin));

    TLineList list;
    list.AssignText(text);
    std::vector<std::string> original;
    for (uint64_t i = 0; i < list.Count(); ++i) original.emplace_back(list.Line(i));
    test::TStringSink out;
    const uint64_t stride = 1 + static_cast<uint64_t>(round % 5);
    const TWrappedLines wrapped = WrapLines(list, settings, stride, out);
    std::vector<std::string> pieces = LinesOf(wrapped);
    ASSERT_EQ(pieces, ModelWrap(original, a, settings.FontSize)) << "round " << round;

    // The join-and-reassign step gives exactly the same lines.
    TLineList reassigned;
    reassigned.AssignText(wrapped.JoinText());
    ASSERT_EQ(reassigned.Count(), pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) ASSERT_EQ(reassigned.Line(i), pieces[i]);

    // A reader started at any line, from a remembered position or not,
    // reads on exactly as one from the start.
    const size_t from = pieces.empty() ? 0 : static_cast<size_t>(random() % (pieces.size() + 1));
    TWrappedReader reader = wrapped.ReaderAt(from);
    for (size_t i = from; i < pieces.size(); ++i) {
      std::string_view line;
      ASSERT_TRUE(reader.Next(&line));
      ASSERT_EQ(line, pieces[i]) << "from " << from << " stride " << stride;
    }

    std::vector<std::string_view> line_views(original.begin(), original.end());
    std::vector<std::string_view> piece_views(pieces.begin(), pieces.end());
    ASSERT_EQ(test::CheckWrapPieces(line_views, piece_views, a, settings.FontSize), "");
  }
}

}  // namespace
}  // namespace quilnote
