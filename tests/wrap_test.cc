#include "text/wrap.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "test_support.h"
#include "text/line_width.h"

namespace quilnote {
namespace {

std::vector<std::string> LinesOf(const TLineList& list) {
  std::vector<std::string> lines;
  for (uint64_t i = 0; i < list.Count(); ++i) lines.emplace_back(list.Line(i));
  return lines;
}

std::vector<size_t> PieceSizes(const TLineList& list) {
  std::vector<size_t> sizes;
  for (const std::string& line : LinesOf(list)) sizes.push_back(line.size());
  return sizes;
}

// Wraps `text` and returns the column count line and the piece sizes.
std::pair<std::string, std::vector<size_t>> Wrap(const std::string& text, TWrapSettings settings) {
  TLineList list;
  list.AssignText(text);
  std::string out = test::CaptureStdout([&] { WrapLines(list, settings); });
  return {out, PieceSizes(list)};
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
      {std::string(132, 'a') + "\x82" "A" + std::string(10, 'b'), a4, "132 桁", {134, 10}},
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
  std::string out;
  EXPECT_THROW(out = test::CaptureStdout([&] { WrapLines(list, {595, 30, 0}); }), EDivByZero);
  EXPECT_THROW(test::CaptureStdout([&] { WrapLines(list, {842, 1073742245, -1}); }),
               EIntOverflow);
  EXPECT_FALSE(list.wrap_widths().has_value());
}

// The wrapping rules written out plainly: a list of copied pieces.
std::vector<std::string> ModelWrap(const std::vector<std::string>& lines, int32_t a, int32_t fs) {
  std::vector<std::string> result;
  auto width = [&](size_t n) { return WrapMul(WrapCount(n), fs / 2); };
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
        if (width(piece.size()) > WrapSub(a, fs)) result.push_back(std::move(piece)), piece.clear();
      } else if (width(piece.size()) > WrapSub(a, fs / 2)) {
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
  const unsigned char alphabet[] = {'a', ' ', 0x82, 0x9F, 0xE0, 0xFC, 0x40, 0xA0, 0xDF, 0x80,
                                    0xFD, 0xFF, 0x81, '\r', '\n', '\n'};
  const int32_t widths[] = {595, 842, 100, 1032};
  const int32_t margins[] = {30, 0, 55, -20, 290};
  const int32_t fonts[] = {8, 1, 9, 2, 3, 24, -8, 100};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    int length = static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i) text += static_cast<char>(alphabet[random() % sizeof alphabet]);
    TWrapSettings settings{widths[random() % 4], margins[random() % 5], fonts[random() % 8]};
    int32_t a = WrapSub(settings.PageWidth, WrapMul(2, settings.HorizontalMargin));

    TLineList list;
    list.AssignText(text);
    std::vector<std::string> original = LinesOf(list);
    test::CaptureStdout([&] { WrapLines(list, settings); });
    std::vector<std::string> pieces = LinesOf(list);
    ASSERT_EQ(pieces, ModelWrap(original, a, settings.FontSize)) << "round " << round;

    // The join-and-reassign step gives exactly the same list.
    TLineList reassigned;
    reassigned.AssignText(list.JoinText());
    ASSERT_EQ(LinesOf(reassigned), pieces);

    // Properties of the pieces of each cut line.
    size_t next = 0;
    for (const std::string& line : original) {
      if (LineWidth(line.size(), settings.FontSize) <= a) {
        ASSERT_EQ(pieces[next++], line);
        continue;
      }
      std::string joined;
      while (joined.size() < line.size()) {
        const std::string& piece = pieces[next++];
        ASSERT_FALSE(piece.empty());
        size_t start = joined.size();
        joined += piece;
        ASSERT_EQ(line.compare(0, joined.size(), joined), 0) << "pieces do not rebuild the line";
        // The piece ends on a character boundary of the line.
        size_t i = start;
        bool last_double = false;
        while (i < joined.size()) {
          last_double = IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size();
          i += last_double ? 2 : 1;
        }
        ASSERT_EQ(i, joined.size()) << "a two-byte character was split";
        if (joined.size() < line.size()) {
          int32_t threshold = last_double ? WrapSub(a, settings.FontSize)
                                          : WrapSub(a, settings.FontSize / 2);
          ASSERT_GT(LineWidth(piece.size(), settings.FontSize), threshold);
        }
      }
    }
    ASSERT_EQ(next, pieces.size());
  }
}

}  // namespace
}  // namespace quilnote
