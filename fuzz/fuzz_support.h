// Shared by the fuzz targets: quiet standard output, read numbers from the
// input, and a structural check of a finished document.
#ifndef QUILNOTE_FUZZ_FUZZ_SUPPORT_H_
#define QUILNOTE_FUZZ_FUZZ_SUPPORT_H_

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace quilnote::fuzz {

// The statistics lines would flood the fuzzer's output.
inline void SilenceStdout() {
  int null = ::open("/dev/null", O_WRONLY);
  ::dup2(null, 1);
  ::close(null);
}

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

// Every cross-reference entry is 20 bytes and points at its object.
inline void CheckDocument(std::string_view pdf) {
  if (pdf.substr(0, 9) != "%PDF-1.3\n") Fail("header");
  if (pdf.size() < 5 || pdf.substr(pdf.size() - 5) != "%%EOF") Fail("end");
  size_t sx = pdf.rfind("startxref\n");
  if (sx == std::string_view::npos) Fail("startxref");
  size_t xref = std::strtoull(std::string(pdf.substr(sx + 10, 24)).c_str(), nullptr, 10);
  if (pdf.substr(xref, 7) != "xref\n0 ") Fail("xref position");
  size_t count = std::strtoull(std::string(pdf.substr(xref + 7, 24)).c_str(), nullptr, 10);
  size_t entries = pdf.find('\n', xref + 7) + 1;
  if (pdf.substr(entries, 20) != "0000000000 65535 f \n") Fail("free entry");
  for (size_t n = 1; n < count; ++n) {
    std::string_view entry = pdf.substr(entries + 20 * n, 20);
    if (entry.size() != 20 || entry.substr(10) != " 00000 n \n") Fail("entry form");
    size_t offset = std::strtoull(std::string(entry.substr(0, 10)).c_str(), nullptr, 10);
    std::string head = std::to_string(n) + " 0 obj\n";
    if (pdf.substr(offset, head.size()) != head) Fail("entry offset");
  }
}

}  // namespace quilnote::fuzz

#endif  // QUILNOTE_FUZZ_FUZZ_SUPPORT_H_
