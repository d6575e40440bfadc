#include "pdf/hex_string.h"

#include <algorithm>
#include <array>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quilnote {

namespace {

constexpr std::array<char, 512> MakeHexTable() {
  std::array<char, 512> table{};
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < 256; ++i) {
    table[static_cast<size_t>(2 * i)] = kDigits[i >> 4];
    table[static_cast<size_t>(2 * i + 1)] = kDigits[i & 15];
  }
  return table;
}
constexpr std::array<char, 512> kHexTable = MakeHexTable();

// Hexadecimal strings are written through a buffer of this size: a line
// of any length goes out in pieces, never held whole in hexadecimal.
constexpr size_t kHexBufferSize = 8192;

}  // namespace

char* EncodeHex(const char* in, size_t n, char* out) {
#ifdef __SSE2__
  // Sixteen bytes at a time: split into nibbles, interleave high and low,
  // then map 0-9 to '0'-'9' and 10-15 to 'A'-'F'.
  const __m128i low_mask = _mm_set1_epi8(0x0F);
  const __m128i nine = _mm_set1_epi8(9);
  const __m128i zero_char = _mm_set1_epi8('0');
  const __m128i letter_gap = _mm_set1_epi8('A' - '0' - 10);
  auto to_ascii = [&](__m128i nibbles) {
    __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, nine), letter_gap);
    return _mm_add_epi8(_mm_add_epi8(nibbles, zero_char), letters);
  };
  for (; n >= 16; n -= 16, in += 16, out += 32) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), low_mask);
    __m128i low = _mm_and_si128(v, low_mask);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), to_ascii(_mm_unpacklo_epi8(high, low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), to_ascii(_mm_unpackhi_epi8(high, low)));
  }
#endif
  return EncodeHexPortable(in, n, out);
}

char* EncodeHexPortable(const char* in, size_t n, char* out) {
  for (; n > 0; --n) {
    unsigned char b = static_cast<unsigned char>(*in++);
    out[0] = kHexTable[2u * b];
    out[1] = kHexTable[2u * b + 1];
    out += 2;
  }
  return out;
}

namespace {

// The room asked of a stream for writing in place: the longest `before` or
// `after`, the string's delimiter and a few bytes of hexadecimal.
constexpr size_t kLeastRoom = 64;

char* Put(std::string_view bytes, char* at) {
  if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
  return at + bytes.size();
}

// The hexadecimal string through a buffer of our own, for streams that
// offer no room in place.
void WriteHexStringBuffered(TOutputStream& out, std::string_view bytes) {
  char buffer[kHexBufferSize];
  char* end = buffer;
  *end++ = '<';
  for (;;) {
    const size_t room = static_cast<size_t>(buffer + sizeof buffer - end - 1) / 2;
    const size_t take = std::min(bytes.size(), room);
    end = EncodeHex(bytes.data(), take, end);
    bytes.remove_prefix(take);
    if (bytes.empty()) break;
    WriteStr(out, std::string_view(buffer, static_cast<size_t>(end - buffer)));
    end = buffer;
  }
  *end++ = '>';
  WriteStr(out, std::string_view(buffer, static_cast<size_t>(end - buffer)));
}

}  // namespace

void WriteHexOperand(TOutputStream& out, std::string_view before, std::string_view bytes,
                     std::string_view after) {
  std::span<char> room = out.Space(kLeastRoom);
  if (room.empty()) {
    WriteStr(out, before);
    WriteHexStringBuffered(out, bytes);
    WriteStr(out, after);
    return;
  }
  char* at = Put(before, room.data());
  *at++ = '<';
  for (;;) {
    const size_t fits = static_cast<size_t>(room.data() + room.size() - at) / 2;
    const size_t take = std::min(bytes.size(), fits);
    at = EncodeHex(bytes.data(), take, at);
    bytes.remove_prefix(take);
    if (bytes.empty()) break;
    out.Advance(static_cast<size_t>(at - room.data()));
    room = out.Space(kLeastRoom);
    at = room.data();
  }
  if (static_cast<size_t>(room.data() + room.size() - at) < 1 + after.size()) {
    out.Advance(static_cast<size_t>(at - room.data()));
    room = out.Space(kLeastRoom);
    at = room.data();
  }
  *at++ = '>';
  at = Put(after, at);
  out.Advance(static_cast<size_t>(at - room.data()));
}

void WriteHexString(TOutputStream& out, std::string_view bytes) {
  WriteHexOperand(out, "", bytes, "");
}

}  // namespace quilnote
