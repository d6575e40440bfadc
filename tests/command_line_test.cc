#include "cli/command_line.h"

#include <optional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace quilnote {
namespace {

TEST(WholeNumberTest, AcceptsDecimalAndHexadecimalForms) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"0", 0},
      {"-5", -5},
      {"+030", 30},
      {"  40", 40},
      {"X1E", 30},
      {"$1E", 30},
      {"0X1E", 30},
      {"-0X1E", -30},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"+2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"000000000000000000002147483647", 2147483647},
      {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"-$80000000", INT32_MIN},
      {"-$FFFFFFFF", 1},
      {"$100000000", std::nullopt},
      {"$0000000000FF", 255},
      {"40 ", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"+", std::nullopt},
      {"$", std::nullopt},
      {"X", std::nullopt},
      {"0X", std::nullopt},
      {"+-1", std::nullopt},
      {"1E", std::nullopt},
      {"$1G", std::nullopt},
      {"$-1", std::nullopt},
      {"00X1", std::nullopt},
      {"\t1", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWholeNumber(c.text), c.value) << '"' << c.text << '"';
}

// A second, independent reading of the whole-number rules: take the text
// apart piece by piece, then convert with the C library.
std::optional<int32_t> ModelWholeNumber(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  bool hex = false;
  if (text.compare(i, 2, "0X") == 0 && i + 2 < text.size()) {
    hex = true;
    i += 2;
  } else if (i < text.size() && (text[i] == '$' || text[i] == 'X')) {
    hex = true;
    i += 1;
  }
  std::string digits = text.substr(i);
  const char* allowed = hex ? "0123456789ABCDEF" : "0123456789";
  if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) return std::nullopt;
  size_t nonzero = digits.find_first_not_of('0');
  digits = nonzero == std::string::npos ? "0" : digits.substr(nonzero);
  if (digits.size() > 10) return std::nullopt;
  unsigned long long value = std::stoull(digits, nullptr, hex ? 16 : 10);
  if (hex) {
    if (value > 0xFFFFFFFFull) return std::nullopt;
    int64_t signed_value = static_cast<int32_t>(static_cast<uint32_t>(value));
    if (negative) signed_value = -signed_value;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(signed_value)));
  }
  int64_t signed_value = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
  if (signed_value < INT32_MIN || signed_value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(signed_value);
}

TEST(WholeNumberTest, AgreesWithModelOnGeneratedTexts) {
  std::mt19937 random(12345);
  const std::string alphabet = " +-$X0123456789ABCDEFG.";
  const std::string edges[] = {"2147483647", "2147483648", "4294967295", "FFFFFFFF", "100000000"};
  for (int i = 0; i < 50000; ++i) {
    std::string text;
    int length = static_cast<int>(random() % 13);
    for (int j = 0; j < length; ++j) text += alphabet[random() % alphabet.size()];
    if (i % 5 == 0) {
      // Near the limits, with a random sign and prefix.
      text = std::string(random() % 3, ' ') + std::string(random() % 2 ? "-" : "") +
             std::string(random() % 2 ? "$" : "") + edges[random() % 5];
      if (random() % 2) text.back() = static_cast<char>('0' + random() % 10);
    }
    ASSERT_EQ(ParseWholeNumber(text), ModelWholeNumber(text)) << '"' << text << '"';
  }
}

struct ScanCase {
  std::vector<std::string> arguments;
  TCommandOptions expected;
};

TCommandOptions With(void (*change)(TCommandOptions&)) {
  TCommandOptions options;
  change(options);
  return options;
}

void ExpectSameOptions(const TCommandOptions& a, const TCommandOptions& b, const std::string& why) {
  EXPECT_EQ(a.TextFileName, b.TextFileName) << why;
  EXPECT_EQ(a.PdfFileName, b.PdfFileName) << why;
  EXPECT_EQ(a.HelpFlag, b.HelpFlag) << why;
  EXPECT_EQ(a.CompressionLetter, b.CompressionLetter) << why;
  EXPECT_EQ(a.FontLetter, b.FontLetter) << why;
  EXPECT_EQ(a.PageNumberLetter, b.PageNumberLetter) << why;
  EXPECT_EQ(a.PaperCode, b.PaperCode) << why;
  EXPECT_EQ(a.HorizontalMargin, b.HorizontalMargin) << why;
  EXPECT_EQ(a.VerticalMargin, b.VerticalMargin) << why;
  EXPECT_EQ(a.FontSize, b.FontSize) << why;
  EXPECT_EQ(a.EncodingLetter, b.EncodingLetter) << why;
}

TEST(ScanArgumentTest, OptionsAreCaseBlindPrefixesAndTheLastOneWins) {
  ScanCase cases[] = {
      {{"-Sa4l"}, With([](TCommandOptions& o) { o.PaperCode = "A4L"; })},
      {{"-sA4L"}, With([](TCommandOptions& o) { o.PaperCode = "A4L"; })},
      {{"-sa3p", "-sb4l"}, With([](TCommandOptions& o) { o.PaperCode = "B4L"; })},
      {{"-sa4pxyz"}, With([](TCommandOptions& o) { o.PaperCode = "A4P"; })},
      {{"-sa5p"}, TCommandOptions()},
      {{"-pages"}, With([](TCommandOptions& o) { o.PageNumberLetter = 'y'; })},
      {{"-cn", "-cd"}, With([](TCommandOptions& o) { o.CompressionLetter = 'n'; })},
      {{"-cm"}, With([](TCommandOptions& o) { o.CompressionLetter = 'm'; })},
      {{"-CF"}, With([](TCommandOptions& o) { o.CompressionLetter = 'f'; })},
      {{"-ml10", "-ml20"}, With([](TCommandOptions& o) { o.HorizontalMargin = 20; })},
      {{"-ml"}, TCommandOptions()},
      {{"-fg"}, With([](TCommandOptions& o) { o.FontLetter = 'g'; })},
      {{"-fi12"}, With([](TCommandOptions& o) {
         o.FontLetter = 'i';
         o.FontSize = 12;
       })},
      {{"-fm", "-fhx"}, With([](TCommandOptions& o) { o.FontLetter = 'h'; })},
      {{"-ml-5"}, With([](TCommandOptions& o) { o.HorizontalMargin = -5; })},
      {{"-mlx1e"}, TCommandOptions()},
      {{"-ml$1E"}, TCommandOptions()},
      {{"-ml0x1e", "-mp$ffffffff"}, With([](TCommandOptions& o) {
         o.HorizontalMargin = 30;
         o.VerticalMargin = -1;
       })},
      {{"-ml 40"}, With([](TCommandOptions& o) { o.HorizontalMargin = 40; })},
      {{"-ml40 "}, TCommandOptions()},
      {{"-fh2147483648"}, TCommandOptions()},
      {{"-mp-2147483648"}, With([](TCommandOptions& o) { o.VerticalMargin = INT32_MIN; })},
      {{"-ea", "-ES"}, With([](TCommandOptions& o) { o.EncodingLetter = 's'; })},
      {{"-eu"}, With([](TCommandOptions& o) { o.EncodingLetter = 'u'; })},
      {{"-euc"}, With([](TCommandOptions& o) { o.EncodingLetter = 'u'; })},  // EUC-JP is -ee
      {{"-Ee", "-ex"}, With([](TCommandOptions& o) { o.EncodingLetter = 'e'; })},
      {{"-?"}, With([](TCommandOptions& o) { o.HelpFlag = 'y'; })},
      {{"-?x"}, TCommandOptions()},
      {{"my-file.txt", "out.pdf"}, With([](TCommandOptions& o) { o.TextFileName = "out.pdf"; })},
      {{"a.txt", "b.txt", "c.pdf"}, With([](TCommandOptions& o) {
         o.TextFileName = "a.txt";
         o.PdfFileName = "c.pdf";
       })},
  };
  test::TStringSink quiet;
  for (const ScanCase& c : cases) {
    TCommandOptions options;
    std::string why;
    for (const std::string& arg : c.arguments) {
      ScanArgument(arg, options, quiet);
      why += arg + " ";
    }
    ExpectSameOptions(options, c.expected, why);
  }
}

TEST(ScanArgumentTest, NumbersFollowTheWholeNumberRulesOnGeneratedOptions) {
  // Whatever follows a number option, the field takes exactly the value
  // the whole-number reading of its upper-cased rest gives, or keeps its own.
  std::mt19937 random(777);
  const std::string alphabet = " +-$xX0123456789abcdefABCDEFg";
  const char* prefixes[] = {"-fh", "-FI", "-fm", "-fG", "-ml", "-mP"};
  test::TStringSink quiet;
  for (int i = 0; i < 20000; ++i) {
    std::string rest;
    int length = static_cast<int>(random() % 12);
    for (int j = 0; j < length; ++j) rest += alphabet[random() % alphabet.size()];
    std::string prefix = prefixes[random() % 6];
    TCommandOptions options;
    ScanArgument(prefix + rest, options, quiet);
    std::string upper = rest;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::optional<int32_t> value = rest.empty() ? std::nullopt : ModelWholeNumber(upper);
    char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(prefix[2])));
    int32_t got = prefix[1] == 'f' || prefix[1] == 'F'
                      ? options.FontSize
                      : (kind == 'L' ? options.HorizontalMargin : options.VerticalMargin);
    int32_t fallback = prefix[1] == 'f' || prefix[1] == 'F' ? 8 : 30;
    ASSERT_EQ(got, value.value_or(fallback)) << prefix + rest;
  }
}

TEST(ArgumentsTest, EmptyArgumentsAreDropped) {
  const std::vector<std::string> given = {"", "a", "", "b"};
  auto arguments = NonEmptyArguments(given);
  ASSERT_EQ(arguments.size(), 2u);
  EXPECT_EQ(arguments[0], "a");
  EXPECT_EQ(arguments[1], "b");
}

}  // namespace
}  // namespace quilnote
