// The fast paths against the portable ones they stand in for: on x86-64
// SSE2 against the word-at-a-time and table code that other machines run,
// elsewhere the same code twice.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pdf/hex_string.h"
#include "test_support.h"
#include "text/ascii_run.h"
#include "text/break_mask.h"
#include "text/line_list.h"

namespace quilnote {
namespace {

// Random bytes, with line breaks and their neighbours (0x09-0x0E, 0x8A,
// 0x8D) common, so that near misses are tried as often as hits.
std::string RandomBytes(std::mt19937& random, size_t n) {
  static constexpr unsigned char kNear[] = {0x0A, 0x0D, 0x09, 0x0B, 0x0C,
                                            0x0E, 0x8A, 0x8D, 0x00, 0xFF};
  std::string bytes(n, '\0');
  for (char& c : bytes) {
    const auto pick = static_cast<uint32_t>(random());
    c = static_cast<char>(pick % 3 == 0 ? kNear[(pick >> 8) % sizeof kNear] : (pick >> 16) & 0xFF);
  }
  return bytes;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = start;
    while (stop < text.size() && text[stop] != '\n' && text[stop] != '\r') ++stop;
    lines.emplace_back(text.substr(start, stop - start));
    start = stop + 1;
    if (stop < text.size() && text[stop] == '\r' && start < text.size() && text[start] == '\n')
      ++start;
  }
  return lines;
}

std::string HexByHand(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

TEST(FastPathTest, AgreesWithThePortablePathAtEveryLengthAndAlignment) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 20; ++round) {
    const std::string buffer = RandomBytes(random, 200 + 16);
    std::string mostly_ascii = buffer;
    for (char& c : mostly_ascii) {
      if (random() % 48 != 0) c = static_cast<char>(c & 0x7F);
    }
    for (size_t align = 0; align < 16; ++align) {
      const char* at = buffer.data() + align;
      for (size_t n = 0; n <= 64; ++n) {
        uint64_t expected = 0;
        for (size_t i = 0; i < n; ++i) {
          if (at[i] == '\n' || at[i] == '\r') expected |= uint64_t{1} << i;
        }
        ASSERT_EQ(BreakMaskPortable(at, n), expected) << n << " bytes at " << align;
        ASSERT_EQ(BreakMask(at, n), expected) << n << " bytes at " << align;
      }
      for (size_t n = 0; n <= 200; n += 1 + n / 16) {
        const std::string_view text(at, n);
        ASSERT_EQ(test::LinesOf(TLineReader(at, n)), SplitLines(text))
            << n << " bytes at " << align;
        std::string fast(2 * n, '?'), portable(2 * n, '!');
        ASSERT_EQ(EncodeHex(at, n, fast.data()), fast.data() + 2 * n);
        ASSERT_EQ(EncodeHexPortable(at, n, portable.data()), portable.data() + 2 * n);
        ASSERT_EQ(fast, portable) << n << " bytes at " << align;
        ASSERT_EQ(fast, HexByHand(text)) << n << " bytes at " << align;
        // ASCII runs long enough for every width the paths step by.
        const char* run_at = mostly_ascii.data() + align;
        size_t ascii = 0;
        while (ascii<n&& static_cast<signed char>(run_at[ascii])> 0) ++ascii;
        ASSERT_EQ(AsciiRunLength(run_at, n), ascii) << n << " bytes at " << align;
        ASSERT_EQ(AsciiRunLengthPortable(run_at, n), ascii) << n << " bytes at " << align;
      }
    }
  }
}

}  // namespace
}  // namespace quilnote
