#include "text_generator.h"

#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace quilnote::bench {

namespace {

class XorShift {
 public:
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 32);
  }
  uint32_t Below(uint32_t n) { return Next() % n; }

 private:
  uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

// Common kanji (Shift-JIS level 1 rows 0x88-0x98) and kana rows.
void AppendWord(std::string& out, XorShift& random) {
  switch (random.Below(10)) {
    case 0:
    case 1:
    case 2: {  // hiragana run
      for (uint32_t n = 1 + random.Below(6); n > 0; --n) {
        out += '\x82';
        out += static_cast<char>(0x9F + random.Below(83));
      }
      break;
    }
    case 3:
    case 4:
    case 5: {  // kanji compound
      for (uint32_t n = 1 + random.Below(3); n > 0; --n) {
        out += static_cast<char>(0x88 + random.Below(16));
        uint32_t trail = 0x40 + random.Below(188);
        if (trail >= 0x7F) ++trail;
        out += static_cast<char>(trail);
      }
      break;
    }
    case 6: {  // katakana
      for (uint32_t n = 2 + random.Below(5); n > 0; --n) {
        out += '\x83';
        uint32_t trail = 0x40 + random.Below(86);
        if (trail >= 0x7F) ++trail;
        out += static_cast<char>(trail);
      }
      break;
    }
    case 7: {  // ASCII word and digits
      static constexpr std::string_view kWords[] = {"quilnote ", "PDF ",     "version 1.2 ",
                                                    "log: ",     "error=0 ", "2026-12-07 ",
                                                    "OK ",       "id=4711 "};
      out += kWords[random.Below(8)];
      break;
    }
    case 8: {  // half-width katakana
      for (uint32_t n = 2 + random.Below(6); n > 0; --n)
        out += static_cast<char>(0xA6 + random.Below(58));
      break;
    }
    default:  // punctuation: 、。「」
      static constexpr std::string_view kMarks[] = {"\x81\x41", "\x81\x42", "\x81\x75", "\x81\x76"};
      out += kMarks[random.Below(4)];
      break;
  }
}

}  // namespace

void GenerateText(const std::string& path, uint64_t bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot create " + path);
  XorShift random;
  std::string chunk;
  uint64_t written = 0;
  while (written < bytes) {
    chunk.clear();
    while (chunk.size() < (1 << 20)) {
      uint32_t kind = random.Below(100);
      size_t length = kind < 8    ? 0                          // blank line
                      : kind < 80 ? 20 + random.Below(100)     // fits the width
                      : kind < 95 ? 140 + random.Below(300)    // wraps once or twice
                                  : 500 + random.Below(2000);  // a long paragraph
      size_t start = chunk.size();
      while (chunk.size() - start < length) AppendWord(chunk, random);
      chunk += "\r\n";
    }
    size_t take = static_cast<size_t>(std::min<uint64_t>(chunk.size(), bytes - written));
    if (std::fwrite(chunk.data(), 1, take, file) != take) throw std::runtime_error("write failed");
    written += take;
  }
  if (std::fclose(file) != 0) throw std::runtime_error("write failed");
}

}  // namespace quilnote::bench
