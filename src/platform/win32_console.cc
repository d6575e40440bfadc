#include "platform/win32_console.h"

#include <climits>

#include "platform/win32_api.h"
#include "platform/win32_text.h"

namespace quilnote::win32 {

namespace {

// Appends `bytes` read in `code_page` to `out`. A byte that does not form a
// character there (a lead byte cut off at the end of a report) becomes
// U+FFFD, as the system converts it.
void AppendWide(UINT code_page, const std::string& bytes, std::wstring* out) {
  if (bytes.empty()) return;
  const int count = bytes.size() < INT_MAX ? static_cast<int>(bytes.size()) : INT_MAX;
  const int size = ::MultiByteToWideChar(code_page, 0, bytes.data(), count, nullptr, 0);
  if (size <= 0) return;
  const size_t start = out->size();
  out->resize(start + static_cast<size_t>(size));
  ::MultiByteToWideChar(code_page, 0, bytes.data(), count, out->data() + start, size);
}

}  // namespace

std::optional<std::wstring> ConsoleCharacters(const TConsoleText& text, bool console) {
  if (!console) return std::nullopt;
  std::wstring characters;
  for (const TTextPart& part : text.parts()) {
    if (!part.name.empty()) {
      characters += Wide(part.name);
    } else {
      AppendWide(part.from_user ? CP_ACP : 932, part.bytes, &characters);
    }
  }
  return characters;
}

bool PausesBeforeClosing(unsigned long console_processes, bool input_is_console) {
  return console_processes == 1 && input_is_console;
}

}  // namespace quilnote::win32
