// Locale-independent number formatting for everything the program writes.
#ifndef QUILNOTE_BASE_NUMBER_FORMAT_H_
#define QUILNOTE_BASE_NUMBER_FORMAT_H_

#include <cstdint>
#include <string>

namespace quilnote {

// Decimal digits without leading zeros, "-" when negative.
std::string FormatInt(int64_t value);
std::string FormatUInt(uint64_t value);

// Fixed notation with exactly two decimals and "." as the decimal point.
// The value is first rounded to 18 significant decimal digits, then to two
// decimals, halves going away from zero (0.125 gives "0.13"). A value that
// rounds to zero is written "0.00", without a sign.
std::string FormatFixed2(double value);

// The exact value of a finite double >= 0 in decimal: 0.<digits> x 10^point,
// `digits` without leading or trailing zeros (empty for zero). Computed in
// integers alone, the same on every platform and C++ library.
struct TExactDecimal {
  std::string digits;
  long point = 0;
};
TExactDecimal ExactDecimal(double magnitude);

}  // namespace quilnote

#endif  // QUILNOTE_BASE_NUMBER_FORMAT_H_
