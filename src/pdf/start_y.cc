#include "pdf/start_y.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace quilnote {

namespace {

// 128-bit integers; __extension__ keeps -Wpedantic quiet about them.
__extension__ typedef unsigned __int128 UInt128;
__extension__ typedef __int128 Int128;

// All fixed-point values below count units of 2^-64.
constexpr int kFractionBits = 64;

// 0.87 with a 64-bit significand: 0.87 x 2^64 = 16048667344127309905.92,
// which rounds up to this integer. It is at least 2^63 (0.87 >= 1/2), so it
// is the full significand, and 0.87 rounds to kPoint87 x 2^-64 -- the value
// of the literal 0.87L in x87 extended precision.
constexpr uint64_t kPoint87 = 0xDEB851EB851EB852;  // 16048667344127309906
static_assert(kPoint87 >> 63 == 1);

constexpr int BitWidth(UInt128 x) {
  const auto high = static_cast<uint64_t>(x >> 64);
  const auto low = static_cast<uint64_t>(x);
  return static_cast<int>(high != 0 ? 64 + std::bit_width(high) : std::bit_width(low));
}

// `magnitude` rounded to `bits` significant bits, to nearest, ties to even:
// the result is significand x 2^shift, significand < 2^bits except when
// rounding carries into 2^bits.
struct Rounded {
  UInt128 significand;
  int shift;
};

constexpr Rounded RoundToBits(UInt128 magnitude, int bits) {
  const int shift = BitWidth(magnitude) - bits;
  if (shift <= 0) return {magnitude, 0};
  const auto u_shift = static_cast<unsigned>(shift);
  UInt128 significand = magnitude >> u_shift;
  const UInt128 rest = magnitude & ((UInt128{1} << u_shift) - 1);
  const UInt128 half = UInt128{1} << (u_shift - 1);
  if (rest > half || (rest == half && (significand & 1) != 0)) ++significand;
  return {significand, shift};
}

// `magnitude` rounded to a 64-bit significand, in the same units.
constexpr UInt128 RoundToExtended(UInt128 magnitude) {
  const Rounded r = RoundToBits(magnitude, 64);
  return r.significand << static_cast<unsigned>(r.shift);
}

constexpr int32_t WrappingDifference(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

}  // namespace

float StartY(int32_t page_height, int32_t vertical_margin, int32_t font_size) {
  const int32_t top = WrappingDifference(page_height, vertical_margin);

  // P = font_size x 0.87. |font_size| x kPoint87 < 2^96 is exact; only its
  // rounding to 64 significant bits loses anything.
  const uint32_t font_magnitude =
      font_size < 0 ? 0u - static_cast<uint32_t>(font_size) : static_cast<uint32_t>(font_size);
  const UInt128 product = RoundToExtended(UInt128{font_magnitude} * kPoint87);
  const Int128 p = font_size < 0 ? -static_cast<Int128>(product) : static_cast<Int128>(product);

  // D = top - P, exact in 2^-64 units (|D| < 2^97), then rounded.
  const Int128 d = static_cast<Int128>(top) * (Int128{1} << kFractionBits) - p;
  // An exact zero difference is +0 under round to nearest, even for 0 - 0.
  if (d == 0) return 0.0f;
  const UInt128 d_magnitude = RoundToExtended(static_cast<UInt128>(d < 0 ? -d : d));

  // One rounding from the 64-bit significand to 24 bits. The significand is
  // at most 2^24 and the exponent stays in the normal range (|D| is between
  // 2^-64 and 2^33), so building the float is exact.
  const Rounded single = RoundToBits(d_magnitude, 24);
  const auto significand = static_cast<uint32_t>(single.significand);
  const float magnitude = std::ldexp(static_cast<float>(significand), single.shift - kFractionBits);
  return d < 0 ? -magnitude : magnitude;
}

}  // namespace quilnote
