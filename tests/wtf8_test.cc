#include "base/wtf8.h"

#include <string>

#include <gtest/gtest.h>

namespace quilnote {
namespace {

struct Wtf8Case {
  std::u16string units;
  std::string bytes;
};

// Known answers, both ways: ASCII with a backslash, two- and three-byte
// characters, U+20BB7 (a surrogate pair), lone surrogates of both kinds.
const Wtf8Case kCases[] = {
    {u"a\\b.txt", "a\\b.txt"},
    {u"caf\u00E9", "caf\xC3\xA9"},
    {u"\u8868\uD55C\uFFFF", "\xE8\xA1\xA8\xED\x95\x9C\xEF\xBF\xBF"},
    {u"\U00020BB7\u91CE", "\xF0\xA0\xAE\xB7\xE9\x87\x8E"},
    {u"x" + std::u16string(1, char16_t{0xD842}) + u"y", "x\xED\xA1\x82y"},
    {std::u16string(1, char16_t{0xDFB7}) + std::u16string(1, char16_t{0xD842}),
     "\xED\xBE\xB7\xED\xA1\x82"},
};

TEST(Wtf8Test, KnownAnswersBothWays) {
  for (const Wtf8Case& c : kCases) {
    EXPECT_EQ(Wtf8FromUtf16(c.units), c.bytes);
    EXPECT_EQ(Utf16FromWtf8(c.bytes), c.units);
  }
}

TEST(Wtf8Test, MalformedBytesEachBecomeOneReplacement) {
  struct Case {
    std::string bytes;
    std::u16string units;
  } cases[] = {
      {"\x95\x5C.txt", u"\uFFFD\\.txt"},                  // Shift-JIS, not UTF-8
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong "/"
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong "/"
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"a\xE8\xA1", u"a\uFFFD\uFFFD"},                    // cut at the end
      {"\xE8\xA1"
       "a",
       u"\uFFFD\uFFFD"
       "a"},  // cut by an ASCII byte
  };
  for (const Case& c : cases) EXPECT_EQ(Utf16FromWtf8(c.bytes), c.units);
}

}  // namespace
}  // namespace quilnote
