// The argument scan and its whole-number reading, on arbitrary arguments.
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "fuzz_support.h"

using namespace quilnote;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::NullSink quiet;
  // Up to eight arguments, separated by NUL bytes as argv would hold them.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments;
  size_t start = 0;
  while (start <= bytes.size() && arguments.size() < 8) {
    size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    arguments.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  std::vector<std::string_view> kept = NonEmptyArguments(arguments);

  TCommandOptions options;
  for (std::string_view argument : kept) {
    ScanArgument(argument, options, quiet);
    std::optional<int32_t> value = ParseWholeNumber(argument);
    // A number read back from its decimal form is the same number.
    if (value && ParseWholeNumber(std::to_string(*value)) != value)
      fuzz::Fail("decimal round trip");
  }
  if (options.PaperCode.size() != 3) fuzz::Fail("paper code");
  if (std::string("dnmf").find(options.CompressionLetter) == std::string::npos)
    fuzz::Fail("letter");
  return 0;
}
