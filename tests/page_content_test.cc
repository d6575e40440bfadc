#include "pdf/page_content.h"

#include <string>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "pdf/convert.h"
#include "test_support.h"

namespace quilnote {
namespace {

TPDFSettings Paper(const char* code, int32_t font_size, uint8_t level = 0) {
  TPDFSettings settings = MakeSettings('n', 'h', 'n', code, 30, 30, font_size);
  settings.CompressionLevel = level;
  return settings;
}

std::string Content(TPDFSettings settings, int32_t h_margin, int32_t v_margin,
                    const std::string& text, int32_t reserve, int64_t page) {
  settings.HorizontalMargin = h_margin;
  settings.VerticalMargin = v_margin;
  settings.PageNumberReserve = reserve;
  TLineList lines;
  lines.AssignText(text);
  TMemoryStream out;
  WritePageContent(out, settings, lines, page);
  return std::string(out.view());
}

TEST(PageContentTest, PlainGoldens) {
  struct Case {
    TPDFSettings settings;
    int32_t h, v;
    std::string text;
    int32_t reserve;
    int64_t page;
    std::string expected;
  } cases[] = {
      {Paper("A4P", 8), 30, 30, "Hello\nWorld", 8, 1,
       "BT\n/F0 8 Tf\n0 0 0 rg 269 6.96 Td (- 1 -)  Tj\nET\n"
       "BT\n/F0 8 Tf\n0 0 0 rg 8 TL 30 805.04 Td <48656C6C6F> Tj\nT* <576F726C64> Tj\nET\n"},
      {Paper("A4P", 8), 30, 30, "Hello\nWorld", 0, 1,
       "BT\n/F0 8 Tf\n0 0 0 rg 8 TL 30 805.04 Td <48656C6C6F> Tj\nT* <576F726C64> Tj\nET\n"},
      {Paper("A4P", 8), 30, 30, "ABC\n\x82\xA0\x82\xA2", 0, 1,
       "BT\n/F0 8 Tf\n0 0 0 rg 8 TL 30 805.04 Td <414243> Tj\nT* <82A082A2> Tj\nET\n"},
      {Paper("A4L", 10), 20, 40, "x", 8, 12,
       "BT\n/F0 8 Tf\n0 0 0 rg 389 6.96 Td (- 12 -)  Tj\nET\n"
       "BT\n/F0 10 Tf\n0 0 0 rg 10 TL 20 546.30 Td <78> Tj\nET\n"},
      {Paper("A4P", 8), 30, 900, "\n", 0, 1,
       "BT\n/F0 8 Tf\n0 0 0 rg 8 TL 30 -64.96 Td <> Tj\nET\n"},
      {Paper("A4P", 8), 30, 30, "", 8, 1, ""},
      {Paper("A4P", 8), 30, 30, std::string("\x00\xFF", 2) + "\n", 0, 1, ""},  // NUL ends the text
      {Paper("A4P", 8), 30, 30, "\xFF\x7F\x01", 0, 1,
       "BT\n/F0 8 Tf\n0 0 0 rg 8 TL 30 805.04 Td <FF7F01> Tj\nET\n"},
  };
  for (const Case& c : cases) {
    std::string got = Content(c.settings, c.h, c.v, c.text, c.reserve, c.page);
    EXPECT_TRUE(test::BytesEqual(c.expected, got));
  }
  EXPECT_EQ(cases[0].expected.size(), 125u);
  EXPECT_EQ(cases[1].expected.size(), 77u);
  EXPECT_EQ(cases[2].expected.size(), 71u);
  EXPECT_EQ(cases[3].expected.size(), 101u);
}

TEST(PageContentTest, PageNumberPositions) {
  struct Case {
    const char* paper;
    int64_t page;
    const char* x;
  } cases[] = {
      {"A4P", 1, "269"},   {"A4P", 9, "269"},   {"A4P", 10, "265"}, {"A4P", 99, "265"},
      {"A4P", 100, "261"}, {"A4P", 999, "261"}, {"A4L", 1, "393"},  {"A3L", 1, "567"},
      {"B5P", 1, "230"},   {"B5L", 1, "336"},   {"B4L", 1, "488"},
  };
  for (const Case& c : cases) {
    std::string got = Content(Paper(c.paper, 8), 30, 30, "a", 8, c.page);
    std::string expected =
        std::string("0 0 0 rg ") + c.x + " 6.96 Td (- " + std::to_string(c.page) + " -)  Tj\n";
    EXPECT_NE(got.find(expected), std::string::npos) << c.paper << " " << c.page << "\n" << got;
  }
}

TEST(PageContentTest, CompressedInflatesToThePlainBytesAtEveryLevel) {
  std::string big;
  for (int i = 0; i < 5000; ++i) big += "line " + std::to_string(i * 7919 % 1000) + " \x82\xA0\n";
  const unsigned char headers[4][2] = {{0, 0}, {0x78, 0x01}, {0x78, 0x9C}, {0x78, 0xDA}};
  for (uint8_t level = 1; level <= 3; ++level) {
    for (const std::string& text : {std::string("Hello\nWorld"), big}) {
      std::string plain = Content(Paper("A4P", 8), 30, 30, text, 8, 1);
      std::string packed = Content(Paper("A4P", 8, level), 30, 30, text, 8, 1);
      ASSERT_GE(packed.size(), 2u);
      EXPECT_EQ(static_cast<unsigned char>(packed[0]), headers[level][0]);
      EXPECT_EQ(static_cast<unsigned char>(packed[1]), headers[level][1]);
      EXPECT_TRUE(test::BytesEqual(plain, test::Inflate(packed))) << int(level);
    }
  }
}

TEST(PageContentTest, CompressedEmptyPageIsTheZlibStreamOfNothing) {
  const std::string expected[4] = {"", std::string("\x78\x01\x03\x00\x00\x00\x00\x01", 8),
                                   std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8),
                                   std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8)};
  for (uint8_t level = 1; level <= 3; ++level) {
    EXPECT_TRUE(
        test::BytesEqual(expected[level], Content(Paper("A4P", 8, level), 30, 30, "", 8, 1)));
  }
}

class ShortStream : public TOutputStream {
 public:
  size_t Write(const char*, size_t n) override { return n > 0 ? n - 1 : 0; }
  uint64_t Position() const override { return 0; }
};

TEST(PageContentTest, ShortWriteOfCompressedDataFails) {
  TLineList lines;
  lines.AssignText("abc");
  ShortStream out;
  EXPECT_THROW(WritePageContent(out, Paper("A4P", 8, 2), lines, 1), EWriteError);
}

}  // namespace
}  // namespace quilnote
