#include "pdf/deflater.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "base/output_stream.h"
#include "test_support.h"

namespace quilnote {
namespace {

// The compressor fed in blocks of 61,440 bytes through a 65,536-byte output
// buffer, one fresh compressor per stream.
std::string BlockwiseDeflate(const std::string& input, int level) {
  z_stream zs{};
  EXPECT_EQ(deflateInit2(&zs, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out;
  std::vector<unsigned char> buffer(65536);
  size_t at = 0;
  int status = Z_OK;
  do {
    size_t block = std::min<size_t>(61440, input.size() - at);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data() + at));
    zs.avail_in = static_cast<uInt>(block);
    at += block;
    int flush = at == input.size() ? Z_FINISH : Z_NO_FLUSH;
    do {
      zs.next_out = buffer.data();
      zs.avail_out = static_cast<uInt>(buffer.size());
      status = deflate(&zs, flush);
      out.append(reinterpret_cast<char*>(buffer.data()), buffer.size() - zs.avail_out);
    } while (zs.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  } while (at < input.size());
  deflateEnd(&zs);
  return out;
}

TEST(DeflaterTest, ReusedCompressorGivesTheBytesOfFreshBlockwiseOnes) {
  // Inputs on both sides of the 61,440-byte blocks, one whose stream
  // outgrows the 65,536-byte buffer, and a long run that a fresh
  // compressor must not remember.
  std::mt19937 random(99);
  std::vector<std::string> inputs = {"", "x", std::string(300000, 'a')};
  const struct {
    size_t size;
    unsigned symbols;
  } generated[] = {{61439, 3}, {61441, 6}, {2 * 61440, 12}, {150000, 18}};
  for (const auto& g : generated) {
    std::string s;
    for (size_t j = 0; j < g.size; ++j) s += "0123456789ABCDEF \n"[random() % g.symbols];
    inputs.push_back(s);
  }
  for (int level : {1, Z_DEFAULT_COMPRESSION, 9}) {
    TDeflater deflater(level);
    for (const std::string& input : inputs) {
      TMemoryStream out;
      deflater.Compress(input, out);
      const std::string expected = BlockwiseDeflate(input, level);
      EXPECT_TRUE(test::BytesEqual(expected, out.view()))
          << "level " << level << " size " << input.size();
      if (input.size() == 150000) {
        EXPECT_GT(expected.size(), 65536u);
      }
    }
  }
}

}  // namespace
}  // namespace quilnote
