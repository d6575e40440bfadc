#include "base/number_format.h"

#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace quilnote {
namespace {

TEST(NumberFormatTest, Fixed2RoundsHalvesAwayFromZero) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {805.0399780273438, "805.04"},
      {546.2999877929688, "546.30"},
      {1048576.125, "1048576.13"},
      {0.125, "0.13"},
      {-0.125, "-0.13"},
      {2.5, "2.50"},
      {-64.95999908447266, "-64.96"},
      {6.96, "6.96"},
      {0.0, "0.00"},
      {-0.0, "0.00"},
      {-0.004, "0.00"},
      {0.005, "0.01"},
      {-0.005, "-0.01"},
      {0.0049999, "0.00"},
      {9.995, "9.99"},
      {99.995000000000005, "100.00"},
      {2147483647.0, "2147483647.00"},
      {-4.0e9, "-4000000000.00"},
      {1e-30, "0.00"},
      {131072.0625, "131072.06"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFixed2(c.value), c.text) << c.value;
}

TEST(NumberFormatTest, Fixed2RoundsTheBinaryValueNotItsShortestForm) {
  // 0.015 is held as 0.01499999999999999944..., 1.005 as 1.00499999999999989...:
  // to 18 digits they stay below the half, unlike their shortest decimal forms.
  EXPECT_EQ(FormatFixed2(0.015), "0.01");
  EXPECT_EQ(FormatFixed2(1.005), "1.00");
}

TEST(NumberFormatTest, Fixed2TakesEveryDigitOfTheExtremes) {
  constexpr double kMax = std::numeric_limits<double>::max();
  const std::string max_text = "179769313486231571" + std::string(291, '0') + ".00";
  EXPECT_EQ(FormatFixed2(kMax), max_text);
  EXPECT_EQ(FormatFixed2(-kMax), "-" + max_text);
  EXPECT_EQ(FormatFixed2(std::numeric_limits<double>::denorm_min()), "0.00");
  EXPECT_EQ(FormatFixed2(std::numeric_limits<double>::min()), "0.00");
  EXPECT_EQ(FormatFixed2(1180591620717411303424.0), "1180591620717411300000.00");  // 2^70
  EXPECT_EQ(FormatFixed2(123456789012345678.0), "123456789012345680.00");
  EXPECT_EQ(FormatFixed2(0.995), "0.99");  // held as 0.99499999999999999555910790149937...
  EXPECT_EQ(FormatFixed2(0.9999999999999999), "1.00");
}

TEST(NumberFormatTest, ExactDecimalKnowsEveryDigit) {
  struct Case {
    double value;
    const char* digits;
    long point;
  } cases[] = {
      {0.0, "", 0},
      {1.0, "1", 1},
      {0.125, "125", 0},
      {1048576.0, "1048576", 7},
      {0.1, "1000000000000000055511151231257827021181583404541015625", 0},
      {6.96, "695999999999999996447286321199499070644378662109375", 1},
      {1e-5, "10000000000000000818030539140313095458623138256371021270751953125", -4},
      {1e22, "1", 23},
      {std::numeric_limits<double>::denorm_min(),
       "494065645841246544176568792868221372365059802614324764425585"
       "682500675507270208751865299836",  // the first 90 of its 751 digits
       -323},
  };
  for (const Case& c : cases) {
    const TExactDecimal exact = ExactDecimal(c.value);
    EXPECT_EQ(exact.digits.substr(0, std::strlen(c.digits)), c.digits) << c.value;
    EXPECT_EQ(exact.point, c.point) << c.value;
  }
  EXPECT_EQ(ExactDecimal(std::numeric_limits<double>::denorm_min()).digits.size(), 751u);
}

// The integer expansion against the C++ library's own, where the library
// converts doubles with a precision (libc++ 14, in the browser build, does
// not): the same digits for values of every magnitude.
TEST(NumberFormatTest, ExactDecimalMatchesTheLibrary) {
#if defined(__cpp_lib_to_chars)
  std::mt19937_64 random(20261207);
  std::string text(1500, '\0');
  for (int i = 0; i < 3000; ++i) {
    const uint64_t bits = random() >> 1;  // positive, every exponent
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 1100)
            .ptr;
    std::string digits(text.data(), end);
    const size_t point = digits.find('.');
    digits.erase(point, 1);
    const size_t lead = std::min(digits.find_first_not_of('0'), digits.size());
    digits.erase(0, lead);
    digits.erase(digits.find_last_not_of('0') + 1);
    const TExactDecimal exact = ExactDecimal(value);
    ASSERT_EQ(exact.digits, digits) << value;
    if (!digits.empty()) {
      ASSERT_EQ(exact.point, static_cast<long>(point) - static_cast<long>(lead)) << value;
    }
  }
#else
  GTEST_SKIP() << "this C++ library has no floating-point to_chars with a precision";
#endif
}

TEST(NumberFormatTest, IntegersIgnoreTheLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  // A comma-decimal locale must not change anything. The second name is
  // the Windows C runtime's.
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "German_Germany.1252") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
  }
  EXPECT_EQ(FormatInt(-2147483648LL), "-2147483648");
  EXPECT_EQ(FormatInt(1234567), "1234567");
  EXPECT_EQ(FormatFixed2(805.0399780273438), "805.04");
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace quilnote
