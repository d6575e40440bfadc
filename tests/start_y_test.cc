#include "pdf/start_y.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace quilnote {
namespace {

uint32_t Bits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// The same computation written directly in long double. It is the reference
// only where long double is the x87 format (64-bit significand).
float ExtendedStartY(int32_t page_height, int32_t vertical_margin, int32_t font_size) {
  const auto top = static_cast<int32_t>(static_cast<uint32_t>(page_height) -
                                        static_cast<uint32_t>(vertical_margin));
  const long double y = static_cast<long double>(top) - static_cast<long double>(font_size) * 0.87L;
  return static_cast<float>(y);
}

bool HaveExtended() {
  return std::numeric_limits<long double>::digits == 64;
}

TEST(StartYTest, KnownValues) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  struct Case {
    int32_t height, margin, font;
    float y;  // exact decimal expansions of the expected floats
  } cases[] = {
      {842, 30, 8, 805.03997802734375f},
      {595, 40, 10, 546.29998779296875f},
      {842, 900, 8, -64.95999908447265625f},
      {131106, 0, 39, 131072.0625f},
      {0, 0, 0, 0.0f},    // +0, not -0
      {-7, -7, 0, 0.0f},  // x - x is +0
      {100, 0, 0, 100.0f},
      {0, 0, -100, 87.0f},
      {kMin, 0, 0, -2147483648.0f},
      {kMax, kMin, 0, -1.0f},         // the difference wraps
      {0, 0, kMin, 1868310773.76f},   // -(-2^31) x 0.87
      {kMax, 0, kMax, 279172874.0f},  // 2^31 - 1 - 0.87 x (2^31 - 1)
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Bits(StartY(c.height, c.margin, c.font)), Bits(c.y))
        << c.height << " " << c.margin << " " << c.font << ": "
        << StartY(c.height, c.margin, c.font);
  }
}

// Every page height of the page-size table, every margin in -3000..3000 and
// a spread of font sizes in -2000..20000.
TEST(StartYTest, MatchesExtendedPrecisionOnPageGeometry) {
  if (!HaveExtended()) GTEST_SKIP() << "long double is not the x87 format here";
  const int32_t heights[] = {842, 595, 1191, 842, 729, 516, 1032, 729};
  for (int32_t height : heights) {
    for (int32_t margin = -3000; margin <= 3000; ++margin) {
      for (int32_t font = -2000; font <= 20000; font += 397) {
        ASSERT_EQ(Bits(StartY(height, margin, font)), Bits(ExtendedStartY(height, margin, font)))
            << height << " " << margin << " " << font;
      }
    }
  }
}

// Numbers of every size, with the edges of the 32-bit range over-represented.
int32_t ExtremeInt32(std::mt19937_64& rng) {
  static constexpr int32_t kEdges[] = {
      std::numeric_limits<int32_t>::min(),     std::numeric_limits<int32_t>::min() + 1, -1, 0, 1,
      std::numeric_limits<int32_t>::max() - 1, std::numeric_limits<int32_t>::max()};
  const uint64_t r = rng();
  const auto bits = static_cast<uint32_t>(r >> 32);
  switch (r & 3) {
    case 0: return kEdges[(r >> 2) % std::size(kEdges)];
    case 1: return static_cast<int32_t>(bits);
    case 2: {  // a random width, so every magnitude turns up
      const auto width = static_cast<unsigned>((r >> 2) % 32);
      const uint32_t magnitude = bits >> width;
      return (r >> 8) & 1 ? static_cast<int32_t>(0u - magnitude) : static_cast<int32_t>(magnitude);
    }
    default: return static_cast<int32_t>(bits % 6001u) - 3000;
  }
}

TEST(StartYTest, MatchesExtendedPrecisionOnExtremeValues) {
  if (!HaveExtended()) GTEST_SKIP() << "long double is not the x87 format here";
  std::mt19937_64 rng(20240611);
  for (int i = 0; i < 1'000'000; ++i) {
    const int32_t height = ExtremeInt32(rng);
    const int32_t margin = ExtremeInt32(rng);
    const int32_t font = ExtremeInt32(rng);
    ASSERT_EQ(Bits(StartY(height, margin, font)), Bits(ExtendedStartY(height, margin, font)))
        << height << " " << margin << " " << font;
  }
}

}  // namespace
}  // namespace quilnote
