#include "base/command_line_split.h"

#include <cstddef>
#include <type_traits>
#include <utility>

#include "base/shift_jis.h"

namespace quilnote {
namespace {

template <typename Unit>
constexpr unsigned UnitValue(Unit u) {
  return static_cast<std::make_unsigned_t<Unit>>(u);
}

template <typename Unit>
constexpr bool IsSeparator(Unit u) {
  return UnitValue(u) >= 0x01 && UnitValue(u) <= 0x20;
}

// Whether unit `u` starts a character that takes the next unit along. In
// UTF-16 no unit does: a surrogate is never a blank or a double quote, so
// a pair of them passes through as two ordinary units.
constexpr bool TakesNextUnit(char u) {
  return IsLeadByte(static_cast<unsigned char>(u));
}
constexpr bool TakesNextUnit(char16_t) {
  return false;
}

// The splitting rules of the header, for Shift-JIS bytes and UTF-16 units
// alike: one definition, so the two command lines split the same way.
template <typename Unit>
std::vector<std::basic_string<Unit>> Split(std::basic_string_view<Unit> s) {
  const size_t size = s.size();
  std::vector<std::basic_string<Unit>> arguments;
  bool program_name = true;
  size_t i = 0;
  for (;;) {
    // Separators and empty quoted stretches before the argument.
    for (;;) {
      while (i < size && IsSeparator(s[i])) ++i;
      if (i < size && s[i] == Unit{'"'} && (i + 1 == size || s[i + 1] == Unit{'"'})) {
        i = i + 1 == size ? size : i + 2;
        continue;
      }
      break;
    }
    if (i == size) break;

    // The argument: its first unit is an ordinary one, or a quote with at
    // least one unit inside, so it cannot come out empty.
    std::basic_string<Unit> argument;
    bool quoted = false;
    while (i < size) {
      const Unit u = s[i];
      if (TakesNextUnit(u)) {
        argument += s[i++];
        if (i < size) argument += s[i++];
      } else if (u == Unit{'"'}) {
        quoted = !quoted;
        ++i;
      } else if (!quoted && IsSeparator(u)) {
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

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  return Split(command_line);
}

std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line) {
  return Split(command_line);
}

}  // namespace quilnote
