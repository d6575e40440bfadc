#include "base/number_format.h"

#include <charconv>
#include <cmath>
#include <string_view>

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

std::string FormatFixed2(double value) {
  if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
  bool negative = std::signbit(value);
  double magnitude = std::fabs(value);

  // The exact decimal expansion: every double has a finite one, and 1100
  // decimals cover the smallest subnormal.
  static constexpr int kExactDecimals = 1100;
  std::string exact(1500, '\0');
  auto result = std::to_chars(exact.data(), exact.data() + exact.size(), magnitude,
                              std::chars_format::fixed, kExactDecimals);
  exact.resize(static_cast<size_t>(result.ptr - exact.data()));

  size_t point = exact.find('.');
  std::string digits = exact.substr(0, point) + exact.substr(point + 1);
  size_t int_digits = point;
  // Strip leading zeros, remembering where the point stands relative to the
  // first significant digit.
  size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return "0.00";
  long point_pos = static_cast<long>(int_digits) - static_cast<long>(first);
  digits.erase(0, first);

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
