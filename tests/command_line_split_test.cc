#include "base/command_line_split.h"

#include "base/shift_jis.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quilnote {
namespace {

using namespace std::string_literals;

struct SplitCase {
  const char* name;
  std::string command_line;
  std::vector<std::string> arguments;
};

// Two Shift-JIS characters whose second byte is 0x5C, a backslash when read
// on its own: katakana so and the kanji for "table".
#define SO "\x83\x5C"
#define HYOU "\x95\x5C"

// "q" is the program name unless the case is about the program name.
const SplitCase kCases[] = {
    // Separators.
    {"PlainWords", "q a bc d", {"a", "bc", "d"}},
    {"RunsOfBlanksAndTabs", "q   a \t\t b", {"a", "b"}},
    {"ControlBytesSeparate",
     "q a\x01"
     "b\x1F"
     "c\r\nd",
     {"a", "b", "c", "d"}},
    {"DelAndNulAreOrdinary",
     "q a\x7F"
     "b c\0d"s,
     {"a\x7F"
      "b",
      "c\0d"s}},
    {"TrailingBlanks", "q a b \t  ", {"a", "b"}},

    // Quoting.
    {"QuotedBlanksStay", "q \"a b\" c", {"a b", "c"}},
    {"QuotedControlBytesStay", "q \"a\tb\nc\" d", {"a\tb\nc", "d"}},
    {"TouchingStretches", "q a\"b c\"d", {"ab cd"}},
    {"TouchingQuotedStretches", "q \"a b\"\"c d\"", {"a bc d"}},
    {"EmptyPairInsideArgument", "q a\"\"b", {"ab"}},
    {"EmptyPairEndingArgument", "q a\"\" b", {"a", "b"}},
    {"UnterminatedQuote", "q a \"b c  ", {"a", "b c  "}},
    {"LoneQuoteAtEnd", "q a \"", {"a"}},

    // Empty quote pairs where an argument starts.
    {"EmptyPairBetweenArguments", "q a \"\" b", {"a", "b"}},
    {"EmptyPairsBeforeArgument", "q \"\" \"\" x", {"x"}},
    {"EmptyPairTouchingArgument", "q \"\"x", {"x"}},
    {"EmptyPairsAtEnd", "q a \"\"\t\"\"\"\"  ", {"a"}},
    {"EmptyPairThenQuotedArgument", "q \"\" \"x y\"", {"x y"}},
    {"EmptyPairThenQuotedBlank", "q \"\"\" \"", {" "}},
    {"EmptyPairThenLoneQuote", "q \"\"\"", {}},

    // Backslashes are ordinary bytes.
    {"BackslashBeforeQuote", "q a\\\"b c\"", {"a\\b c"}},
    {"BackslashEndingQuotedStretch", "q \"c:\\dir\\\" b", {"c:\\dir\\", "b"}},
    {"Backslashes", "q \\\\server\\share\\ \\", {"\\\\server\\share\\", "\\"}},

    // Two-byte characters.
    {"LeadByteTakesBlank", "q \x81 b c", {"\x81 b", "c"}},
    {"LeadByteTakesQuote", "q \x81\"a b", {"\x81\"a", "b"}},
    {"LeadByteTakesClosingQuote", "q \"\x81\" b\" c", {"\x81\" b", "c"}},
    {"LeadByteTakesLeadByte", "q \x81\x81\x81 a b", {"\x81\x81\x81 a", "b"}},
    {"TrailByte5CBeforeQuote",
     "q \"" SO "\" " HYOU " \"" HYOU " " SO "\"",
     {SO, HYOU, HYOU " " SO}},
    {"TrailByte5CThenQuotedStretch", "q " SO "\"x y\"", {SO "x y"}},
    {"LeadByteAtEnd", "q a\x81", {"a\x81"}},
    {"LeadByteRanges",
     "q \xE0 \xFC  \x80 \xA0 \xDF \xFD \xFF",
     {"\xE0 \xFC ", "\x80", "\xA0", "\xDF", "\xFD", "\xFF"}},

    // The program name.
    {"EmptyCommandLine", "", {}},
    {"OnlyProgramName", "  q  ", {}},
    {"QuotedProgramName", "\"C:\\Program Files\\q.exe\" a b", {"a", "b"}},
    {"ProgramNameWithTouchingQuotes", "C:\\\"Program Files\"\\q.exe a", {"a"}},
    {"ProgramNameWithTrailByte5C", "C:\\" SO "\x83\x74\x83\x67\\q.exe a", {"a"}},
    {"ProgramNameWithLeadByteAndBlank", "\x81 q a", {"a"}},
    {"UnterminatedProgramName", "\"C:\\My Files\\q.exe a b", {}},
};

#undef SO
#undef HYOU

// Failure messages show the command line, escaped, not the struct's bytes.
void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.command_line);
}

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheArguments) {
  EXPECT_EQ(SplitCommandLine(GetParam().command_line), GetParam().arguments);
}

// The case in UTF-16, one unit per Shift-JIS character: a single byte
// stays its value, a lead byte and the byte it takes become one unit above
// 0x80FF. Blanks and quotes taken by a lead byte thus vanish into a unit,
// which is what a UTF-16 command line holds in their place.
std::u16string OneUnitPerCharacter(const std::string& bytes) {
  std::u16string units;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (IsLeadByte(b) && i + 1 < bytes.size()) {
      units += static_cast<char16_t>(b << 8 | static_cast<unsigned char>(bytes[++i]));
    } else {
      units += static_cast<char16_t>(b);
    }
  }
  return units;
}

TEST_P(SplitCommandLineTest, GivesTheSameArgumentsFromUtf16) {
  std::vector<std::u16string> expected;
  for (const std::string& argument : GetParam().arguments) {
    expected.push_back(OneUnitPerCharacter(argument));
  }
  EXPECT_EQ(SplitCommandLine(OneUnitPerCharacter(GetParam().command_line)), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitCommandLineTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SplitCase>& case_info) {
                           return std::string(case_info.param.name);
                         });

TEST(SplitUtf16CommandLineTest, SurrogatesAndBackslashLookalikesAreOrdinaryUnits) {
  // U+20BB7 as a surrogate pair, a lone high surrogate, and U+5C5C and
  // U+835C, whose low bytes are backslashes; U+2022 ends in a quote byte.
  const std::u16string line = u"q \U00020BB7\u91CE \u5C5C\u835C\"\u2022 x\" " +
                              std::u16string(1, char16_t{0xD800}) + u"\"y z\"";
  const std::vector<std::u16string> expected = {u"\U00020BB7\u91CE", u"\u5C5C\u835C\u2022 x",
                                                std::u16string(1, char16_t{0xD800}) + u"y z"};
  EXPECT_EQ(SplitCommandLine(line), expected);
}

}  // namespace
}  // namespace quilnote
