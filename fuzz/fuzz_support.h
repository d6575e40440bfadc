// Shared by the fuzz targets: a sink for console lines, and numbers read
// from the input. The structural checks are the tests' own (checks.h).
#ifndef QUILNOTE_FUZZ_FUZZ_SUPPORT_H_
#define QUILNOTE_FUZZ_FUZZ_SUPPORT_H_

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "base/console.h"
#include "checks.h"

namespace quilnote::fuzz {

// Console lines would flood the fuzzer's output.
class NullSink : public TLineSink {
 public:
  void WriteLine(const TConsoleText&) override {}
};

// Takes numbers and bytes off the front of the fuzzer's input.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return size_ > 0 ? (--size_, *data_++) : 0; }
  int32_t Int32() {
    // Small values most of the time, the extremes and anything else sometimes.
    switch (Byte() % 8) {
      case 0: return INT32_MIN;
      case 1: return INT32_MAX;
      case 2: return static_cast<int8_t>(Byte());
      case 3: {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
        return static_cast<int32_t>(v);
      }
      default: return static_cast<int32_t>(Byte()) * 4 - 200;
    }
  }
  std::string_view Rest() { return {reinterpret_cast<const char*>(data_), size_}; }

 private:
  const uint8_t* data_;
  size_t size_;
};

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace quilnote::fuzz

#endif  // QUILNOTE_FUZZ_FUZZ_SUPPORT_H_
