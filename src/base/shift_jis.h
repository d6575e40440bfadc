// The one thing the program knows of the Shift-JIS encoding: which bytes
// start a two-byte character. Text is never decoded.
#ifndef QUILNOTE_BASE_SHIFT_JIS_H_
#define QUILNOTE_BASE_SHIFT_JIS_H_

namespace quilnote {

// Shift-JIS lead bytes: 0x81-0x9F and 0xE0-0xFC. A lead byte takes the next
// byte along, whatever it is. Every other byte, half-width katakana and
// 0x80, 0xA0, 0xFD-0xFF included, is a character of its own.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace quilnote

#endif  // QUILNOTE_BASE_SHIFT_JIS_H_
