#include "platform/win32_text.h"

#include <climits>

#include "base/wtf8.h"
#include "platform/win32_api.h"

namespace quilnote::win32 {

namespace {

constexpr std::wstring_view kVerbatimPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
constexpr std::wstring_view kUncPrefix = L"\\\\";
constexpr std::wstring_view kVerbatimUncPrefix = L"\\\\?\\UNC\\";

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The conversions count in ints; longer texts than any name are cut.
int Count(size_t size) {
  return size < INT_MAX ? static_cast<int>(size) : INT_MAX;
}

// UTF-16 to code page `code_page` with `flags`, "?" for what it lacks when
// the flags allow a default; nothing when the system refuses.
bool FromWide(UINT code_page, DWORD flags, std::wstring_view text, std::string* out) {
  out->clear();
  if (text.empty()) return true;
  const char* fallback = flags != 0 ? "?" : nullptr;
  const int size = ::WideCharToMultiByte(code_page, flags, text.data(), Count(text.size()), nullptr,
                                         0, fallback, nullptr);
  if (size <= 0) return false;
  out->resize(static_cast<size_t>(size));
  return ::WideCharToMultiByte(code_page, flags, text.data(), Count(text.size()), out->data(), size,
                               fallback, nullptr) == size;
}

bool ToWide(UINT code_page, std::string_view text, std::wstring* out) {
  out->clear();
  if (text.empty()) return true;
  const int size = ::MultiByteToWideChar(code_page, 0, text.data(), Count(text.size()), nullptr, 0);
  if (size <= 0) return false;
  out->resize(static_cast<size_t>(size));
  return ::MultiByteToWideChar(code_page, 0, text.data(), Count(text.size()), out->data(), size) ==
         size;
}

// Without best fit where the code page allows it: UTF-8 and some others
// refuse the flag, and have no look-alikes to avoid.
std::string WithoutLookAlikes(UINT code_page, std::wstring_view text) {
  std::string converted;
  if (FromWide(code_page, WC_NO_BEST_FIT_CHARS, text, &converted)) return converted;
  if (FromWide(code_page, 0, text, &converted)) return converted;
  // No such code page here: ASCII survives, the rest is unknown.
  converted.clear();
  for (wchar_t c : text) converted += c < 0x80 ? static_cast<char>(c) : '?';
  return converted;
}

}  // namespace

std::wstring Wide(std::string_view text) {
  const std::u16string units = Utf16FromWtf8(text);
  return std::wstring(units.begin(), units.end());
}

std::wstring FullPathOf(const std::wstring& name) {
  // The length asked for first includes the terminating zero; the path
  // may change between the two calls (another thread's current folder).
  DWORD room = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  for (int attempt = 0; attempt < 3 && room > 0; ++attempt) {
    std::wstring full(room, L'\0');
    const DWORD length = ::GetFullPathNameW(name.c_str(), room, full.data(), nullptr);
    if (length == 0) break;
    if (length < room) {
      full.resize(length);
      return full;
    }
    room = length;
  }
  return std::wstring();
}

std::wstring SystemName(std::string_view name) {
  std::wstring wide = Wide(name);
  if (StartsWith(wide, kVerbatimPrefix) || StartsWith(wide, kDevicePrefix)) return wide;
  std::wstring full = FullPathOf(wide);
  if (full.size() < MAX_PATH) return wide;
  // The verbatim form is taken as it stands, with no "." or ".." and no
  // "/" resolved: the full path has them resolved already.
  if (StartsWith(full, kUncPrefix)) {
    return std::wstring(kVerbatimUncPrefix) + full.substr(kUncPrefix.size());
  }
  return std::wstring(kVerbatimPrefix) + full;
}

std::string ShownText(std::wstring_view text) {
  return WithoutLookAlikes(CP_ACP, text);
}

std::string CodePage932(std::string_view text) {
  return WithoutLookAlikes(932, Wide(text));
}

std::string AnsiToOem(std::string_view text) {
  if (::GetACP() == ::GetOEMCP()) return std::string(text);
  std::wstring wide;
  std::string oem;
  if (!ToWide(CP_ACP, text, &wide) || !FromWide(CP_OEMCP, 0, wide, &oem)) {
    return std::string(text);
  }
  return oem;
}

}  // namespace quilnote::win32
