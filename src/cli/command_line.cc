#include "cli/command_line.h"

#include "base/messages.h"
#include "base/platform.h"

namespace quilnote {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

struct TPaperOption {
  std::string_view prefix;
  std::string_view code;
};

constexpr TPaperOption kPaperOptions[] = {
    {"-SA4L", "A4L"}, {"-SA4P", "A4P"}, {"-SA3L", "A3L"}, {"-SA3P", "A3P"},
    {"-SB5L", "B5L"}, {"-SB5P", "B5P"}, {"-SB4L", "B4L"}, {"-SB4P", "B4P"},
};

struct TLetterOption {
  std::string_view prefix;
  char letter;
};

constexpr TLetterOption kCompressionOptions[] = {{"-CN", 'n'}, {"-CM", 'm'}, {"-CF", 'f'}};
constexpr TLetterOption kFontOptions[] = {{"-FH", 'h'}, {"-FI", 'i'}, {"-FM", 'm'}, {"-FG", 'g'}};
constexpr TLetterOption kEncodingOptions[] = {
    {"-ES", 's'}, {"-EU", 'u'}, {"-EE", 'e'}, {"-EA", 'a'}};

// The number after a three-byte option prefix, when there is text after it:
// stored in `field`, or `message` written when it is no whole number.
void ReadOptionNumber(std::string_view upper, int32_t& field, std::string_view message,
                      TLineSink& messages) {
  if (upper.size() <= 3) return;
  std::optional<int32_t> value = ParseWholeNumber(upper.substr(3));
  if (value) {
    field = *value;
  } else {
    messages.WriteLine(message);
  }
}

}  // namespace

std::optional<int32_t> ParseWholeNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string_view rest = text.substr(i);
  bool hex = false;
  if (StartsWith(rest, "$") || StartsWith(rest, "X")) {
    hex = true;
    rest.remove_prefix(1);
  } else if (StartsWith(rest, "0X")) {
    hex = true;
    rest.remove_prefix(2);
  }
  if (rest.empty()) return std::nullopt;

  // Accumulate in 64 bits, stopping as soon as the value leaves the range.
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
  uint64_t value = 0;
  for (char c : rest) {
    int digit = hex ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (value > limit) return std::nullopt;
  }
  uint32_t bits = static_cast<uint32_t>(value);
  if (negative) bits = 0u - bits;
  return static_cast<int32_t>(bits);
}

void ScanArgument(std::string_view argument, TCommandOptions& options, TLineSink& messages) {
  if (argument.find('-') != std::string_view::npos) {
    // Every prefix is tested on its own; all that match apply, in order.
    // A hyphen is a hyphen in every form the argument may take, so the
    // test above holds for the option's own text too.
    const std::string upper = UpperCase(OptionText(argument));
    for (const TPaperOption& paper : kPaperOptions) {
      if (StartsWith(upper, paper.prefix)) options.PaperCode = std::string(paper.code);
    }
    if (StartsWith(upper, "-P")) options.PageNumberLetter = 'y';
    for (const TLetterOption& option : kCompressionOptions) {
      if (StartsWith(upper, option.prefix)) options.CompressionLetter = option.letter;
    }
    for (const TLetterOption& option : kEncodingOptions) {
      if (StartsWith(upper, option.prefix)) options.EncodingLetter = option.letter;
    }
    for (const TLetterOption& option : kFontOptions) {
      if (StartsWith(upper, option.prefix)) {
        options.FontLetter = option.letter;
        ReadOptionNumber(upper, options.FontSize, msg::kFontSizeNotNumber, messages);
      }
    }
    if (StartsWith(upper, "-ML")) {
      ReadOptionNumber(upper, options.HorizontalMargin, msg::kHorizontalMarginNotNumber, messages);
    }
    if (StartsWith(upper, "-MP")) {
      ReadOptionNumber(upper, options.VerticalMargin, msg::kVerticalMarginNotNumber, messages);
    }
  } else if (options.TextFileName.empty()) {
    options.TextFileName = std::string(argument);
  } else {
    options.PdfFileName = std::string(argument);
  }
  // The argument as given: on Windows "-?" is also what an option with a
  // character outside code page 932 reads as, and that asks for no help.
  if (argument == "-?") options.HelpFlag = 'y';
}

std::vector<std::string_view> NonEmptyArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string_view> kept;
  for (const std::string& argument : arguments) {
    if (!argument.empty()) kept.emplace_back(argument);
  }
  return kept;
}

}  // namespace quilnote
