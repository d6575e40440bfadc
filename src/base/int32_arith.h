// 32-bit integer arithmetic in two's complement, overflow included.
// Page sizes, margins and font sizes are user-supplied 32-bit values, and
// the document's geometry is computed the way a 32-bit machine computes it:
// a sum, difference or product that leaves the range keeps its low 32 bits. Division by zero and
// -2147483648 div -1 raise errors instead of trapping.
#ifndef QUILNOTE_BASE_INT32_ARITH_H_
#define QUILNOTE_BASE_INT32_ARITH_H_

#include <cstdint>
#include <limits>

#include "base/errors.h"

namespace quilnote {

constexpr int32_t Add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

constexpr int32_t Sub32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

constexpr int32_t Mul32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// The low 32 bits of a byte count, as a 32-bit signed number.
constexpr int32_t Low32(uint64_t n) {
  return static_cast<int32_t>(static_cast<uint32_t>(n));
}

// Truncating division. Raises EDivByZero "Division by zero" for b == 0 and
// EIntOverflow "Arithmetic overflow" for the one quotient that does not fit.
inline int32_t CheckedDiv(int32_t a, int32_t b) {
  if (b == 0) throw EDivByZero();
  if (b == -1 && a == std::numeric_limits<int32_t>::min()) throw EIntOverflow();
  return a / b;
}

}  // namespace quilnote

#endif  // QUILNOTE_BASE_INT32_ARITH_H_
