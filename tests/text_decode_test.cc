#include "text/text_decode.h"

#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace quilnote {
namespace {

const std::string kGeta = "\x81\xAC";
// あいｱう！ and their codes: UTF-8 shrinks by two bytes or one.
const std::string kKanaAndForms = "\xE3\x81\x82\xE3\x81\x84\xEF\xBD\xB1\xE3\x81\x86\xEF\xBC\x81";
const std::string kTheirCodes = "\x82\xA0\x82\xA2\xB1\x82\xA4\x81\x49";

struct DecodeCase {
  char letter;
  std::string in;
  std::string out;
  uint64_t substitutes;
  uint64_t first_line;
};

TEST(TextDecodeTest, EachEncodingWithItsIllFormedSequences) {
  const std::string G = kGeta, K = kKanaAndForms, KC = kTheirCodes;
  const DecodeCase cases[] = {
      {'s', "\xE3\x81\x82\xFF", "\xE3\x81\x82\xFF", 0, 0},
      // UTF-8: one substitute for each maximal subpart.
      {'u', "a\xE3\x81\x82\xEF\xBD\xB1", "a\x82\xA0\xB1", 0, 0},
      {'u', "\xEF\xBB\xBF\xE2\x85\xB0", "\xFA\x40", 0, 0},  // mark dropped; ⅰ
      {'u', "\xC0\xAF\xE0\x80\xAF", G + G + G + G + G, 5, 1},
      {'u', "\xED\xA0\x80z", G + G + G + "z", 3, 1},   // a surrogate, three subparts
      {'u', "\xF4\x90\x80\x80", G + G + G + G, 4, 1},  // above U+10FFFF
      {'u', "\xE3\x81\r\n\xF0\x9F\x98", G + "\r\n" + G, 2, 1},
      {'u', "x\ry\n\r\xF0\x9F\x98\x80", "x\ry\n\r" + G, 1, 4},  // one substitute a character
      {'u', "a\xE3\x81" + std::string(1, '\0') + "\xFF", "a" + G, 1, 1},
      {'u', "\xC2\xA5\xE2\x80\xBE\xC2\x80", "\x5C\x7E" + G, 1, 1},  // ¥ ‾, U+0080
      // Overlong forms of U+0401 before and after kana, a surrogate after them.
      {'u', K + "a" + K + "\xE0\x90\x81" + "b\xE0\x90\x81" + K + "\xED\xA0\x80" + "cd",
       KC + "a" + KC + G + G + G + "b" + G + G + G + KC + G + G + G + "cd", 9, 1},
      // UTF-16 by its mark; without one it is UTF-8.
      {'u', std::string("\xFF\xFE\x42\x30\x0A\x00\x3D\xD8\x00\xDE", 10), "\x82\xA0\n" + G, 1, 2},
      {'u', std::string("\xFE\xFF\x30\x42\xD8\x3D\x00\x41\xDE\x00\x00", 11),
       "\x82\xA0" + G + "A" + G + G, 3, 1},
      {'u', std::string("\xFE\xFF\x00\x41\x00\x00\x00\x42", 8), "A", 0, 0},
      {'u', std::string("\x42\x30", 2), "B0", 0, 0},
      // EUC-JP: JIS arithmetic, half-width katakana, JIS X 0212 and strays.
      {'e', "\xA4\xA2\xB0\xA1\xF4\xA6\xA1\xC1", "\x82\xA0\x88\x9F\xEA\xA4\x81\x60", 0, 0},
      {'e', "\x8E\xB1\xF5\xA1\xFE\xFE", "\xB1\xEB\x40\xEF\xFC", 0, 0},  // unchecked rows
      {'e', "\x8F\xB0\xA1\n\x8E\x41\xA4", G + "\n" + G + "A" + G, 3, 1},
      {'e', "\x80\xA4" + std::string(1, '\0') + "\xFF", G + G, 2, 1},
      // Automatic: a mark, or well-formed UTF-8 with a byte >= 0x80.
      {'a', "\xE3\x81\x82", "\x82\xA0", 0, 0},
      {'a', "\x82\xA0\xE3\x81\x82", "\x82\xA0\xE3\x81\x82", 0, 0},
      {'a', "\xE3\x81", "\xE3\x81", 0, 0},                                    // cut off at the end
      {'a', "\xE0\x80\xAFz", "\xE0\x80\xAFz", 0, 0},                          // overlong
      {'a', "\xE3\x81\x82\xED\xA0\x80z", "\xE3\x81\x82\xED\xA0\x80z", 0, 0},  // a surrogate
      {'a', "\xEF\xBB\xBF\xFF", G, 1, 1},
      {'a', std::string("\xFF\xFE\x41\x00", 4), "A", 0, 0},
  };
  for (const DecodeCase& c : cases) {
    // Again with spaces after it, long enough for the loops that read a
    // word at a time, where the text does not end before them.
    const bool ends_early =
        c.in.find('\0') != std::string::npos || c.in[0] == '\xFF' || c.in[0] == '\xFE';
    for (const std::string& after : {std::string(), std::string(ends_early ? 0 : 9, ' ')}) {
      TByteBlock block;
      block.Append(c.in.data(), c.in.size());
      block.Append(after.data(), after.size());
      const TDecodeReport report = DecodeText(block, c.letter, false);
      const std::string why = std::string(1, c.letter) + " " + c.in + after;
      EXPECT_TRUE(test::BytesEqual(c.out + after, block.view())) << why;
      EXPECT_EQ(report.Substitutes, c.substitutes) << why;
      EXPECT_EQ(report.FirstSubstituteLine, c.first_line) << why;
    }
  }
}

TEST(TextDecodeTest, OnlyANoGivenLetterLooksForUnicode) {
  for (char letter : {'n', 's'}) {
    TByteBlock block;
    block.Append("\xE3\x81\x82", 3);
    EXPECT_EQ(DecodeText(block, letter, true).LooksLikeUnicode, letter == 'n');
    EXPECT_FALSE(DecodeText(block, letter, false).LooksLikeUnicode);
  }
}

TEST(Cp932TableTest, WindowsCodesAndTheInputMethodsForms) {
  const struct {
    uint32_t c;
    uint16_t code;
  } cases[] = {
      {0x41, 0x41},     {0xFF61, 0xA1},   {0x3042, 0x82A0}, {0x2170, 0xFA40}, {0x7E8A, 0xFA5C},
      {0x2160, 0x8754}, {0x2235, 0x81E6}, {0xFFE2, 0x81CA}, {0xE000, 0xF040}, {0xE757, 0xF9FC},
      {0x301C, 0x8160}, {0x2016, 0x8161}, {0x2212, 0x817C}, {0x00A2, 0x8191}, {0x00A3, 0x8192},
      {0x00AC, 0x81CA}, {0x2014, 0x815C}, {0x00A5, 0x5C},   {0x203E, 0x7E},   {0xFF5E, 0x8160},
      {0x0080, 0},      {0xF8F0, 0},      {0xF8F3, 0},      {0xE758, 0},      {0x1F600, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Cp932Code(c.c), c.code) << std::hex << c.c;
}

}  // namespace
}  // namespace quilnote
