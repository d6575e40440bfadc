#include "base/wtf8.h"

#include <cstddef>
#include <cstdint>

namespace quilnote {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | c >> 6);
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | c >> 12);
    *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | c >> 18);
    *out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(char32_t c, std::u16string* out) {
  if (c < 0x10000) {
    *out += static_cast<char16_t>(c);
  } else {
    *out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    *out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

// The code point of the sequence at the start of `bytes` and its length,
// or nothing (length 0) when no well-formed sequence starts there.
struct TDecoded {
  char32_t value = 0;
  size_t length = 0;
};

TDecoded DecodeOne(std::string_view bytes) {
  const auto byte = [bytes](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  const uint8_t first = byte(0);
  if (first < 0x80) return {first, 1};
  size_t length = 0;
  char32_t value = 0;
  char32_t least = 0;  // below it, the form is overlong
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2, value = first & 0x1Fu, least = 0x80;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3, value = first & 0x0Fu, least = 0x800;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4, value = first & 0x07u, least = 0x10000;
  } else {
    return {};
  }
  if (bytes.size() < length) return {};
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {};
    value = value << 6 | (byte(i) & 0x3Fu);
  }
  if (value < least || value > 0x10FFFF) return {};
  return {value, length};
}

}  // namespace

std::string Wtf8FromUtf16(std::u16string_view units) {
  std::string bytes;
  bytes.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
    }
    AppendUtf8(c, &bytes);
  }
  return bytes;
}

std::u16string Utf16FromWtf8(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  while (!bytes.empty()) {
    const TDecoded decoded = DecodeOne(bytes);
    if (decoded.length == 0) {
      AppendUtf16(kReplacement, &units);
      bytes.remove_prefix(1);
    } else {
      AppendUtf16(decoded.value, &units);
      bytes.remove_prefix(decoded.length);
    }
  }
  return units;
}

}  // namespace quilnote
