#include "base/command_line_split.h"

#include <cstddef>
#include <utility>

#include "base/shift_jis.h"

namespace quilnote {
namespace {

constexpr bool IsSeparator(unsigned char b) { return b >= 0x01 && b <= 0x20; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  const std::string_view s = command_line;
  const size_t size = s.size();
  auto byte_at = [s](size_t i) { return static_cast<unsigned char>(s[i]); };

  std::vector<std::string> arguments;
  bool program_name = true;
  size_t i = 0;
  for (;;) {
    // Separators and empty quoted stretches before the argument.
    for (;;) {
      while (i < size && IsSeparator(byte_at(i))) ++i;
      if (i < size && s[i] == '"' && (i + 1 == size || s[i + 1] == '"')) {
        i = i + 1 == size ? size : i + 2;
        continue;
      }
      break;
    }
    if (i == size) break;

    // The argument: its first byte is an ordinary one, or a quote with at
    // least one byte inside, so it cannot come out empty.
    std::string argument;
    bool quoted = false;
    while (i < size) {
      const unsigned char b = byte_at(i);
      if (IsLeadByte(b)) {
        argument += s[i++];
        if (i < size) argument += s[i++];
      } else if (b == '"') {
        quoted = !quoted;
        ++i;
      } else if (!quoted && IsSeparator(b)) {
        break;
      } else {
        argument += s[i++];
      }
    }
    if (program_name) {
      program_name = false;
    } else {
      arguments.push_back(std::move(argument));
    }
  }
  return arguments;
}

}  // namespace quilnote
