#include "base/number_format.h"

#include <clocale>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/int32_arith.h"

namespace quilnote {
namespace {

TEST(NumberFormatTest, Fixed2RoundsHalvesAwayFromZero) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {805.0399780273438, "805.04"},  {546.2999877929688, "546.30"},
      {1048576.125, "1048576.13"},    {0.125, "0.13"},
      {-0.125, "-0.13"},              {2.5, "2.50"},
      {-64.95999908447266, "-64.96"}, {6.96, "6.96"},
      {0.0, "0.00"},                  {-0.0, "0.00"},
      {-0.004, "0.00"},               {0.005, "0.01"},
      {-0.005, "-0.01"},              {0.0049999, "0.00"},
      {9.995, "9.99"},                {99.995000000000005, "100.00"},
      {2147483647.0, "2147483647.00"}, {-4.0e9, "-4000000000.00"},
      {1e-30, "0.00"},                {131072.0625, "131072.06"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFixed2(c.value), c.text) << c.value;
}

TEST(NumberFormatTest, Fixed2RoundsTheBinaryValueNotItsShortestForm) {
  // 0.015 is held as 0.01499999999999999944..., 1.005 as 1.00499999999999989...:
  // to 18 digits they stay below the half, unlike their shortest decimal forms.
  EXPECT_EQ(FormatFixed2(0.015), "0.01");
  EXPECT_EQ(FormatFixed2(1.005), "1.00");
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

TEST(Int32ArithTest, OverflowKeepsTheLow32Bits) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(Add32(kMax, 1), kMin);
  EXPECT_EQ(Sub32(kMin, 1), kMax);
  EXPECT_EQ(Mul32(2, 1073742245), -2147482806);
  EXPECT_EQ(Sub32(842, Mul32(2, 1073742245)), kMin);
  EXPECT_EQ(Low32(0x1'0000'0005ull), 5);
  EXPECT_EQ(CheckedDiv(-7, 2), -3);
  EXPECT_THROW(CheckedDiv(5, 0), EDivByZero);
  EXPECT_THROW(CheckedDiv(kMin, -1), EIntOverflow);
  EXPECT_EQ(CheckedDiv(kMin, 1), kMin);
}


}  // namespace
}  // namespace quilnote
