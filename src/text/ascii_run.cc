#include "text/ascii_run.h"

#include <bit>
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quilnote {

namespace {

size_t AsciiRunOfTail(const char* bytes, size_t from, size_t n) {
  while (from<n&& static_cast<signed char>(bytes[from])> 0) ++from;
  return from;
}

}  // namespace

size_t AsciiRunLength(const char* bytes, size_t n) {
#ifdef __SSE2__
  size_t i = 0;
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    // The high bit of a byte >= 0x80, or of the all-ones a zero compares to.
    const auto stops =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(v, _mm_cmpeq_epi8(v, zero))));
    if (stops != 0) return i + static_cast<size_t>(std::countr_zero(stops));
  }
  return AsciiRunOfTail(bytes, i, n);
#else
  return AsciiRunLengthPortable(bytes, n);
#endif
}

size_t AsciiRunLengthPortable(const char* bytes, size_t n) {
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= n; i += 8) {
      uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      const uint64_t stops = NonAsciiBytesOfWord(word);
      if (stops != 0) return i + static_cast<size_t>(std::countr_zero(stops)) / 8;
    }
  }
  return AsciiRunOfTail(bytes, i, n);
}

}  // namespace quilnote
