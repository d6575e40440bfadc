// Width estimates for wrapping. A line's printed width is guessed from its
// byte count alone: every byte is a half-width glyph, so a two-byte
// Shift-JIS character counts as a full-width one. No font metrics are used.
#ifndef QUILNOTE_TEXT_LINE_WIDTH_H_
#define QUILNOTE_TEXT_LINE_WIDTH_H_

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/wrap_int.h"

namespace quilnote {

// Shift-JIS lead bytes: 0x81-0x9F and 0xE0-0xFC. Every other byte, half-width
// katakana and 0x80, 0xA0, 0xFD-0xFF included, is a character of its own.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Byte count times (font size div 2), in wrapping 32-bit arithmetic.
constexpr int32_t LineWidth(uint64_t byte_count, int32_t font_size) {
  return WrapMul(WrapCount(byte_count), font_size / 2);
}

// The length of the first piece cut from the non-empty `rest` of a line too
// wide for `available` points. Characters are appended one at a time (a lead
// byte takes the next byte along, whatever it is); the piece closes as soon
// as its width exceeds available - font_size after a two-byte character, or
// available - font_size div 2 after a single byte.
inline size_t PieceLength(std::string_view rest, int32_t available, int32_t font_size) {
  const int32_t half = font_size / 2;
  const int32_t after_double = WrapSub(available, font_size);
  const int32_t after_single = WrapSub(available, half);
  const auto* bytes = reinterpret_cast<const unsigned char*>(rest.data());
  const size_t size = rest.size();
  size_t n = 0;
  if (half > 0 && size <= static_cast<size_t>(INT32_MAX / half)) {
    // No width of this line wraps, so a width n x half exceeds a threshold t
    // exactly when n exceeds t div half: byte counts replace the products.
    const int64_t double_limit = after_double < 0 ? -1 : after_double / half;
    const int64_t single_limit = after_single < 0 ? -1 : after_single / half;
    // No character that ends at or before double_limit can close the piece
    // (single bytes close later still), so skip to the characters near it.
    // Any byte that is not a lead byte ends a character, so the nearest one
    // before the target tells where a character starts.
    const int64_t target = std::min<int64_t>(double_limit - 1, static_cast<int64_t>(size));
    if (target > 0 && double_limit <= single_limit) {
      n = static_cast<size_t>(target);
      while (n > 0 && IsLeadByte(bytes[n - 1])) --n;
    }
    while (n < size) {
      const bool two = IsLeadByte(bytes[n]) && n + 1 < size;
      n += two ? 2 : 1;
      if (static_cast<int64_t>(n) > (two ? double_limit : single_limit)) return n;
    }
    return n;
  }
  while (n < size) {
    if (IsLeadByte(bytes[n])) {
      n += (n + 1 < size) ? 2 : 1;
      if (WrapMul(WrapCount(n), half) > after_double) return n;
    } else {
      ++n;
      if (WrapMul(WrapCount(n), half) > after_single) return n;
    }
  }
  return n;
}

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_LINE_WIDTH_H_
