#include "base/int32_arith.h"

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "base/errors.h"

namespace quilnote {
namespace {

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
