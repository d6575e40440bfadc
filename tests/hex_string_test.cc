#include "pdf/hex_string.h"

#include <cstdio>
#include <span>
#include <string>

#include <gtest/gtest.h>

#include "base/output_stream.h"
#include "test_support.h"

namespace quilnote {
namespace {

// A stream that offers only `room` bytes in place at a time.
class SmallRoomStream : public TOutputStream {
 public:
  explicit SmallRoomStream(size_t room) : room_(room) {}
  size_t Write(const char* data, size_t n) override {
    bytes.append(data, n);
    return n;
  }
  uint64_t Position() const override { return bytes.size(); }
  std::span<char> Space(size_t at_least) override {
    EXPECT_LE(at_least, room_);
    space_.assign(room_, '\0');
    return space_;
  }
  void Advance(size_t n) override { bytes.append(space_.data(), n); }
  std::string bytes;

 private:
  size_t room_;
  std::string space_;
};

TEST(HexStringTest, LongStringsContinueAcrossTheRoomGiven) {
  for (size_t size : {0u, 1u, 15u, 16u, 17u, 31u, 33u, 1000u}) {
    std::string text;
    std::string hex = "T* <";
    for (size_t i = 0; i < size; ++i) {
      text += static_cast<char>(i * 37 + 5);
      char digits[3];
      std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(text.back()));
      hex += digits;
    }
    hex += "> Tj\n";
    for (size_t room : {64u, 65u, 70u, 4096u}) {
      SmallRoomStream out(room);
      WriteHexOperand(out, "T* ", text, " Tj\n");
      EXPECT_TRUE(test::BytesEqual(hex, out.bytes)) << size << " in rooms of " << room;
    }
  }
}

}  // namespace
}  // namespace quilnote
