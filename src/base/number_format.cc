#include "base/number_format.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

namespace quilnote {

std::string FormatInt(int64_t value) {
  char buf[24];
  auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string FormatUInt(uint64_t value) {
  char buf[24];
  auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

namespace {

// Rounds the decimal digit string `digits` (no sign, no point) to `keep`
// digits, a half going away from zero. Returns true when the rounding
// carried out of the first digit (999 -> 1000), which the caller must
// account for by one more integer digit.
bool RoundDigits(std::string* digits, size_t keep) {
  if (digits->size() <= keep) return false;
  bool up = (*digits)[keep] >= '5';
  digits->resize(keep);
  if (!up) return false;
  for (size_t i = keep; i-- > 0;) {
    if ((*digits)[i] != '9') {
      ++(*digits)[i];
      return false;
    }
    (*digits)[i] = '0';
  }
  digits->insert(digits->begin(), '1');
  return true;
}

}  // namespace

TExactDecimal ExactDecimal(double magnitude) {
  // magnitude = mantissa x 2^shift, exactly, for normal and subnormal values.
  int exponent = 0;
  const double fraction = std::frexp(magnitude, &exponent);
  uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  int shift = exponent - 53;
  if (mantissa == 0) return {};
  while (shift < 0 && mantissa % 2 == 0) {
    mantissa /= 2;
    ++shift;
  }

  // The integer mantissa x 2^shift, or mantissa x 5^-shift (which is the
  // value x 10^-shift), in base 10^9 limbs, the lowest first: products of a
  // limb and a factor below 2^31 fit in 64 bits.
  constexpr uint32_t kBase = 1000000000;
  std::vector<uint32_t> limbs{static_cast<uint32_t>(mantissa % kBase),
                              static_cast<uint32_t>(mantissa / kBase % kBase),
                              static_cast<uint32_t>(mantissa / kBase / kBase)};
  const auto multiply = [&limbs](uint32_t factor) {
    uint64_t carry = 0;
    for (uint32_t& limb : limbs) {
      const uint64_t product = uint64_t{limb} * factor + carry;
      limb = static_cast<uint32_t>(product % kBase);
      carry = product / kBase;
    }
    for (; carry > 0; carry /= kBase) limbs.push_back(static_cast<uint32_t>(carry % kBase));
  };
  long decimals = 0;
  if (shift >= 0) {
    for (; shift >= 30; shift -= 30) multiply(uint32_t{1} << 30);
    multiply(uint32_t{1} << shift);
  } else {
    decimals = -shift;
    constexpr uint32_t kFivePow13 = 1220703125;
    for (; shift <= -13; shift += 13) multiply(kFivePow13);
    uint32_t five_pow = 1;
    for (; shift < 0; ++shift) five_pow *= 5;
    multiply(five_pow);
  }

  TExactDecimal exact;
  for (size_t i = limbs.size(); i-- > 0;) {
    char nine[9];
    uint32_t limb = limbs[i];
    for (size_t d = 9; d-- > 0; limb /= 10) nine[d] = static_cast<char>('0' + limb % 10);
    exact.digits.append(nine, 9);
  }
  exact.digits.erase(0, exact.digits.find_first_not_of('0'));
  exact.point = static_cast<long>(exact.digits.size()) - decimals;
  exact.digits.erase(exact.digits.find_last_not_of('0') + 1);
  return exact;
}

std::string FormatFixed2(double value) {
  if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
  bool negative = std::signbit(value);
  TExactDecimal exact = ExactDecimal(std::fabs(value));
  if (exact.digits.empty()) return "0.00";
  std::string digits = std::move(exact.digits);
  long point_pos = exact.point;

  // 18 significant digits.
  if (RoundDigits(&digits, 18)) ++point_pos;
  // Give the number at least one integer digit so that the two-decimal cut
  // below always falls inside the string.
  if (point_pos <= 0) {
    digits.insert(0, static_cast<size_t>(1 - point_pos), '0');
    point_pos = 1;
  }
  size_t keep = static_cast<size_t>(point_pos) + 2;
  if (RoundDigits(&digits, keep)) ++point_pos;
  digits.resize(static_cast<size_t>(point_pos) + 2, '0');

  std::string int_part = digits.substr(0, static_cast<size_t>(point_pos));
  std::string frac_part = digits.substr(static_cast<size_t>(point_pos));
  size_t lead = int_part.find_first_not_of('0');
  int_part.erase(0, lead == std::string::npos ? int_part.size() - 1 : lead);
  std::string out;
  if (negative && (int_part.find_first_not_of('0') != std::string::npos ||
                   frac_part.find_first_not_of('0') != std::string::npos)) {
    out = "-";
  }
  out += int_part;
  out += '.';
  out += frac_part;
  return out;
}

}  // namespace quilnote
