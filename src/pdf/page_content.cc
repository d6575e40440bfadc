#include "pdf/page_content.h"

#include <array>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <limits>
#include <string>

#include "base/errors.h"
#include "base/number_format.h"
#include "base/wrap_int.h"
#include "pdf/deflater.h"
#include "pdf/font_objects.h"

namespace quilnote {

namespace {

static_assert(std::numeric_limits<long double>::digits == 64,
              "the start y is defined in x87 extended precision (64-bit mantissa)");

constexpr std::array<char, 512> MakeHexTable() {
  std::array<char, 512> table{};
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < 256; ++i) {
    table[static_cast<size_t>(2 * i)] = kDigits[i >> 4];
    table[static_cast<size_t>(2 * i + 1)] = kDigits[i & 15];
  }
  return table;
}
constexpr std::array<char, 512> kHexTable = MakeHexTable();

// Appends the hexadecimal string of `bytes` ("<...>") to `out`.
void AppendHex(std::string& out, std::string_view bytes) {
  size_t at = out.size();
  out.resize(at + 2 * bytes.size() + 2);
  char* p = out.data() + at;
  *p++ = '<';
  const char* in = bytes.data();
  size_t left = bytes.size();
#ifdef __SSE2__
  // Sixteen bytes at a time: split into nibbles, interleave high and low,
  // then map 0-9 to '0'-'9' and 10-15 to 'A'-'F'.
  const __m128i low_mask = _mm_set1_epi8(0x0F);
  const __m128i nine = _mm_set1_epi8(9);
  const __m128i zero_char = _mm_set1_epi8('0');
  const __m128i letter_gap = _mm_set1_epi8('A' - '0' - 10);
  auto to_ascii = [&](__m128i nibbles) {
    __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, nine), letter_gap);
    return _mm_add_epi8(_mm_add_epi8(nibbles, zero_char), letters);
  };
  while (left >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), low_mask);
    __m128i low = _mm_and_si128(v, low_mask);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), to_ascii(_mm_unpacklo_epi8(high, low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), to_ascii(_mm_unpackhi_epi8(high, low)));
    in += 16;
    left -= 16;
    p += 32;
  }
#endif
  for (; left > 0; --left) {
    unsigned char b = static_cast<unsigned char>(*in++);
    p[0] = kHexTable[2u * b];
    p[1] = kHexTable[2u * b + 1];
    p += 2;
  }
  *p = '>';
}

// Lines are gathered into chunks of about this size before they reach the
// stream: one stream call per chunk rather than several per line.
constexpr size_t kChunkSize = 1 << 16;

// Copies between streams move at most this many bytes at a time.
constexpr size_t kCopyBlockSize = 61440;

}  // namespace

float StartY(int32_t page_height, int32_t vertical_margin, int32_t font_size) {
  long double top = static_cast<long double>(WrapSub(page_height, vertical_margin));
  long double y = top - static_cast<long double>(font_size) * 0.87L;
  return static_cast<float>(y);
}

void WriteHexString(TOutputStream& out, std::string_view bytes) {
  std::string hex;
  AppendHex(hex, bytes);
  WriteStr(out, hex);
}

void WritePlainPageContent(TOutputStream& out, const TPDFSettings& settings,
                           int32_t horizontal_margin, int32_t vertical_margin,
                           TPageLines lines, int32_t page_number_reserve,
                           int64_t page_number) {
  if (lines.count == 0) return;
  const std::string font(kFontResourceName);
  std::string chunk;
  chunk.reserve(kChunkSize + 4096);

  float y = StartY(settings.PageHeight, vertical_margin, settings.FontSize);
  if (page_number_reserve == 8) {
    const std::string number = FormatInt(page_number);
    int64_t x = settings.PageWidth / 2 - 4 * (static_cast<int64_t>(number.size()) + 6);
    chunk += "BT\n/" + font + " 8 Tf\n0 0 0 rg " + FormatInt(x) + " " + FormatFixed2(6.96) +
             " Td (- " + number + " -)  Tj\nET\n";
  }
  chunk += "BT\n/" + font + " " + FormatInt(settings.FontSize) + " Tf\n0 0 0 rg " +
           FormatInt(settings.FontSize) + " TL " + FormatInt(horizontal_margin) + " " +
           FormatFixed2(y) + " Td ";

  std::string_view line;
  for (uint64_t i = 0; i < lines.count && lines.reader.Next(&line); ++i) {
    if (i > 0) chunk += "T* ";
    AppendHex(chunk, line);
    chunk += " Tj\n";
    if (chunk.size() >= kChunkSize) {
      WriteStr(out, chunk);
      chunk.clear();
    }
  }
  chunk += "ET\n";
  WriteStr(out, chunk);
}

void CopyToStream(TOutputStream& out, std::string_view bytes) {
  while (!bytes.empty()) {
    size_t block = bytes.size() < kCopyBlockSize ? bytes.size() : kCopyBlockSize;
    if (out.Write(bytes.data(), block) != block) throw EWriteError(kWriteErrorMessage);
    bytes.remove_prefix(block);
  }
}

void WriteCompressedPageContent(TOutputStream& out, const TPDFSettings& settings,
                                int32_t horizontal_margin, int32_t vertical_margin,
                                TPageLines lines, int32_t page_number_reserve,
                                int64_t page_number, TDeflater& deflater) {
  TMemoryStream content;
  WritePlainPageContent(content, settings, horizontal_margin, vertical_margin, lines,
                        page_number_reserve, page_number);
  TMemoryStream compressed;
  deflater.Compress(content.view(), compressed);
  content = TMemoryStream();  // release the plain bytes before copying
  CopyToStream(out, compressed.view());
}

void WritePageContent(TOutputStream& out, const TPDFSettings& settings,
                      int32_t horizontal_margin, int32_t vertical_margin,
                      TPageLines lines, int32_t page_number_reserve, int64_t page_number) {
  if (settings.CompressionLevel == 0) {
    WritePlainPageContent(out, settings, horizontal_margin, vertical_margin, lines,
                          page_number_reserve, page_number);
    return;
  }
  TDeflater deflater(ZlibLevel(settings.CompressionLevel));
  WriteCompressedPageContent(out, settings, horizontal_margin, vertical_margin, lines,
                             page_number_reserve, page_number, deflater);
}

}  // namespace quilnote
