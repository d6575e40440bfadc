// The test helpers that need Windows: Shift-JIS from UTF-8 by the system's
// own code page 932 tables.
#include "test_support.h"

#include "platform/win32_api.h"

#include <stdexcept>

namespace quilnote::test {

std::string Sjis(std::string_view utf8) {
  const int size = static_cast<int>(utf8.size());
  if (size == 0) return "";
  const int wide_size =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (wide_size <= 0) throw std::runtime_error("not UTF-8");
  std::wstring wide(static_cast<size_t>(wide_size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), wide_size);
  BOOL lossy = FALSE;
  const int sjis_size = ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size,
                                              nullptr, 0, nullptr, &lossy);
  if (sjis_size <= 0 || lossy) throw std::runtime_error("not convertible to CP932");
  std::string sjis(static_cast<size_t>(sjis_size), '\0');
  ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size, sjis.data(), sjis_size,
                        nullptr, nullptr);
  return sjis;
}

}  // namespace quilnote::test
