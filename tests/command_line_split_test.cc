#include "base/command_line_split.h"

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
    {"ControlBytesSeparate", "q a\x01" "b\x1F" "c\r\nd", {"a", "b", "c", "d"}},
    {"DelAndNulAreOrdinary", "q a\x7F" "b c\0d"s, {"a\x7F" "b", "c\0d"s}},
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
    {"TrailByte5CBeforeQuote", "q \"" SO "\" " HYOU " \"" HYOU " " SO "\"",
     {SO, HYOU, HYOU " " SO}},
    {"TrailByte5CThenQuotedStretch", "q " SO "\"x y\"", {SO "x y"}},
    {"LeadByteAtEnd", "q a\x81", {"a\x81"}},
    {"LeadByteRanges", "q \xE0 \xFC  \x80 \xA0 \xDF \xFD \xFF",
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

INSTANTIATE_TEST_SUITE_P(Cases, SplitCommandLineTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SplitCase>& case_info) {
                           return std::string(case_info.param.name);
                         });

}  // namespace
}  // namespace quilnote
