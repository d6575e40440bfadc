// How many bytes of a text are plain ASCII from where it stands: the runs
// that decoding copies as they are and that the UTF-8 check steps over,
// without looking at every byte on its own.
#ifndef QUILNOTE_TEXT_ASCII_RUN_H_
#define QUILNOTE_TEXT_ASCII_RUN_H_

#include <cstddef>
#include <cstdint>

namespace quilnote {

// The high bit of each byte of `word` that is zero or >= 0x80, the others
// clear: adding 7F to a byte's low seven bits carries into its high bit
// unless they are all 0, and no carry crosses into the next byte.
constexpr uint64_t NonAsciiBytesOfWord(uint64_t word) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return (~((word & kLow7) + kLow7) & ~kLow7) | (word & ~kLow7);
}

// The number of leading bytes of bytes[0, n) that are 01-7F: the index of
// the first zero byte or byte >= 0x80, or n. SSE2 looks at sixteen bytes at
// a time on x86-64; elsewhere this is AsciiRunLengthPortable.
size_t AsciiRunLength(const char* bytes, size_t n);

// The same on every machine: eight bytes at a time in a 64-bit word on
// little-endian machines, a byte at a time for the rest.
size_t AsciiRunLengthPortable(const char* bytes, size_t n);

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_ASCII_RUN_H_
