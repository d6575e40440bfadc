#include "text/break_mask.h"

#include <bit>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quilnote {

namespace {

// The bits of bytes [from, n) by comparing one byte at a time.
uint64_t BreakMaskOfTail(const char* bytes, size_t from, size_t n) {
  uint64_t mask = 0;
  for (size_t i = from; i < n; ++i) {
    const bool brk = bytes[i] == '\n' || bytes[i] == '\r';
    mask |= static_cast<uint64_t>(brk) << i;
  }
  return mask;
}

}  // namespace

uint64_t BreakMask(const char* bytes, size_t n) {
#ifdef __SSE2__
  uint64_t mask = 0;
  size_t i = 0;
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr));
    mask |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(hits))) << i;
  }
  return mask | BreakMaskOfTail(bytes, i, n);
#else
  return BreakMaskPortable(bytes, n);
#endif
}

uint64_t BreakMaskPortable(const char* bytes, size_t n) {
  uint64_t mask = 0;
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    // 0x80 in every byte of `x` that is zero, and nothing else.
    auto zero_bytes = [](uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); };
    for (; i + 8 <= n; i += 8) {
      uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      const uint64_t hits =
          zero_bytes(word ^ 0x0A0A0A0A0A0A0A0Aull) | zero_bytes(word ^ 0x0D0D0D0D0D0D0D0Dull);
      // Gathers the high bit of each byte into the word's top byte.
      mask |= (((hits >> 7) * 0x0102040810204080ull) >> 56) << i;
    }
  }
  return mask | BreakMaskOfTail(bytes, i, n);
}

}  // namespace quilnote
