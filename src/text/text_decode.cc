#include "text/text_decode.h"

#include <bit>
#include <cstring>

#include "base/messages.h"
#include "base/number_format.h"
#include "text/ascii_run.h"

namespace quilnote {

namespace {

#include "text/cp932_table.inc"

// The code of the character `c` < 0x10000 with its first byte low: 0 for
// none, at most 0xFF for a one-byte code.
uint16_t CodeInOrder(uint32_t c) {
  return kCodes[kRowStart[c >> 6] + (c & 0x3F)];
}

bool IsEucByte(unsigned b) {
  return b >= 0xA1 && b <= 0xFE;
}

// The Shift-JIS code of the JIS X 0208 row `j1` and cell `j2` (21-7E),
// unchecked: codes that code page 932 leaves undefined come out as they are.
uint16_t ShiftJisOfJis(unsigned j1, unsigned j2) {
  const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  const unsigned s2 = j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E);
  return static_cast<uint16_t>(s1 << 8 | s2);
}

constexpr uint16_t kGetaMark = 0x81AC;  // 〓: the typesetter's mark for a missing character
constexpr uint32_t kIllFormed = 0xFFFFFFFF;

// Reads one UTF-8 sequence at p[0, n) whose first byte is >= 0x80: returns
// the bytes it takes and sets `c` to its character, or, when it is
// ill-formed, to kIllFormed with the length of its maximal subpart (the
// bytes up to the first that cannot continue it, at least one).
size_t ReadUtf8(const unsigned char* p, size_t n, uint32_t& c) {
  const unsigned char lead = p[0];
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    c = kIllFormed;
    return 1;
  }
  for (size_t i = 1; i < length; ++i) {
    if (i >= n || p[i] < low || p[i] > high) {
      c = kIllFormed;
      return i;
    }
    c = c << 6 | (p[i] & 0x3Fu);
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

// True when p[0, n) up to its first zero byte is well-formed UTF-8 with at
// least one byte >= 0x80.
bool IsUtf8WithNonAscii(const unsigned char* p, size_t n) {
  bool non_ascii = false;
  size_t i = 0;
  for (;;) {
    i += AsciiRunLength(reinterpret_cast<const char*>(p) + i, n - i);
    if (i == n || p[i] == 0) return non_ascii;
    // Three-byte sequences, the most common: their bits above the low six
    // must be 0x20 or more (no overlong form) and not those of a surrogate.
    while (n - i >= 4) {
      const uint32_t head = uint32_t{p[i]} | uint32_t{p[i + 1]} << 8 | uint32_t{p[i + 2]} << 16 |
                            uint32_t{p[i + 3]} << 24;
      if ((head & 0xC0C0F0) != 0x8080E0) break;
      const uint32_t row = (head & 0x0F) << 6 | (head >> 8 & 0x3F);
      if (row < 0x20 || (row >= 0x360 && row < 0x380)) return false;
      non_ascii = true;
      i += 3;
    }
    if (i == n || p[i] == 0) return non_ascii;
    if (p[i] < 0x80) continue;
    uint32_t c;
    i += ReadUtf8(p + i, n - i, c);
    if (c == kIllFormed) return false;
    non_ascii = true;
  }
}

// Writes the Shift-JIS form over the bytes it is read from, behind the read
// position. Every character takes at least one byte and writes at most two;
// when a write would overtake the read position (only substitutes can),
// the block grows once and the unread bytes move to its end, which leaves
// room for the rest whatever it holds: at most 2 x the bytes read in all.
class TShiftJisWriter {
 public:
  TShiftJisWriter(TByteBlock& block, size_t from)
      : block_(block), p_(Bytes(block)), read_(from), end_(block.size()) {}

  const unsigned char* p() const { return p_; }
  size_t read() const { return read_; }
  size_t end() const { return end_; }
  // Takes `n` bytes of the character being read.
  void Take(size_t n) { read_ += n; }

  // Copies the ASCII bytes from the read position on, if any; false at
  // the end of the text or at a byte >= 0x80.
  bool CopyAscii() {
    if (read_ == end_ || static_cast<signed char>(p_[read_]) <= 0) return false;
    const size_t run = AsciiRunLength(reinterpret_cast<const char*>(p_) + read_, end_ - read_);
    if (run == 0) return false;
    if (write_ == read_) {
      // Nothing to move: no substitute or shorter code has come yet.
    } else if (run <= 16) {
      // Words and line breaks between Japanese text: shorter than a call.
      for (size_t i = 0; i < run; ++i) p_[write_ + i] = p_[read_ + i];
    } else {
      std::memmove(p_ + write_, p_ + read_, run);
    }
    write_ += run;
    read_ += run;
    return true;
  }

  // Converts from the read position on what most Japanese texts are made
  // of in UTF-8: ASCII, eight bytes at a time, and three-byte characters
  // U+0800-U+FFFF that have a code (kana, kanji, full-width and half-width
  // forms). Stops at anything else, at a zero byte and eight bytes before
  // the end, which the caller's careful path takes; false when it converted
  // nothing. Every character here writes no more bytes than it takes, so
  // the writing stays behind the reading; it keeps its positions out of
  // memory that the bytes it writes could alias.
  bool ConvertCommonUtf8() {
    if (end_ - read_ < 8) return false;
    const unsigned char* read = p_ + read_;
    const unsigned char* const end = p_ + end_;
    const unsigned char* const last = end - 8;  // where the last word starts
    unsigned char* write = p_ + write_;
    while (read <= last) {
      uint64_t word = 0;  // the next eight bytes, the first lowest
      for (int i = 7; i >= 0; --i) word = word << 8 | read[i];
      // A lead byte E0-EF and two continuation bytes: the character's bits
      // above its low six are the lead byte's low four and the second
      // byte's low six. Below 0x20 they are overlong forms; surrogates have
      // no code. Two such characters in a row are the most common case.
      if ((word & 0xC0C0F0C0C0F0) == 0x8080E08080E0) {
        const uint64_t row1 = (word & 0x0F) << 6 | (word >> 8 & 0x3F);
        const uint64_t row2 = (word >> 18 & 0x3C0) | (word >> 32 & 0x3F);
        if (row1 >= 0x20 && row2 >= 0x20) {
          const uint16_t code1 = kCodes[kRowStart[row1] + (word >> 16 & 0x3F)];
          const uint16_t code2 = kCodes[kRowStart[row2] + (word >> 40 & 0x3F)];
          if (code1 != 0 && code2 != 0) {
            write += PutCodeBehind(write, code1);
            write += PutCodeBehind(write, code2);
            read += 6;
            continue;
          }
        }
      }
      const auto head = static_cast<uint32_t>(word);
      if ((head & 0xC0C0F0) == 0x8080E0) {
        const uint32_t row = (head & 0x0F) << 6 | (head >> 8 & 0x3F);
        if (row < 0x20) break;
        const uint16_t code = kCodes[kRowStart[row] + (head >> 16 & 0x3F)];
        if (code == 0) break;
        write += PutCodeBehind(write, code);
        read += 3;
        continue;
      }
      if ((head & 0x80) != 0) break;
      const size_t run = CopyAsciiRun(read, write, end);
      if (run == 0) break;  // the zero byte that ends the text
      read += run;
      write += run;
    }
    return Keep(read, write);
  }

  // Converts from the read position on, as ConvertCommonUtf8 does, ASCII,
  // JIS X 0208 pairs and half-width katakana in EUC-JP: two bytes in for
  // two or one out.
  bool ConvertCommonEucJp() {
    if (end_ - read_ < 8) return false;
    const unsigned char* read = p_ + read_;
    const unsigned char* const end = p_ + end_;
    const unsigned char* const last = end - 8;
    unsigned char* write = p_ + write_;
    while (read <= last) {
      const unsigned b1 = read[0], b2 = read[1];
      if (IsEucByte(b1) && IsEucByte(b2)) {
        const uint16_t code = ShiftJisOfJis(b1 - 0x80u, b2 - 0x80u);
        write[0] = static_cast<unsigned char>(code >> 8);
        write[1] = static_cast<unsigned char>(code);
        write += 2;
        read += 2;
      } else if (b1 == 0x8E && b2 >= 0xA1 && b2 <= 0xDF) {
        *write++ = static_cast<unsigned char>(b2);  // half-width katakana
        read += 2;
      } else {
        if (b1 >= 0x80) break;
        const size_t run = CopyAsciiRun(read, write, end);
        if (run == 0) break;  // the zero byte that ends the text
        read += run;
        write += run;
      }
    }
    return Keep(read, write);
  }

  // Moves the positions to `read` and `write`; true when reading went on.
  bool Keep(const unsigned char* read, const unsigned char* write) {
    const size_t new_read = static_cast<size_t>(read - p_);
    const bool any = new_read != read_;
    read_ = new_read;
    write_ = static_cast<size_t>(write - p_);
    return any;
  }

  // Converts the UTF-16 units from the read position on that are
  // characters with a code (two bytes in, at most two out); false when the
  // first is none: a zero, a surrogate or a character without a code.
  bool ConvertCommonUtf16(bool big_endian) {
    unsigned char* const p = p_;
    const size_t end = end_;
    const size_t high = big_endian ? 0 : 1;
    size_t read = read_, write = write_;
    while (end - read >= 2) {
      const uint32_t unit = static_cast<uint32_t>(p[read + high] << 8 | p[read + 1 - high]);
      const uint16_t code = CodeInOrder(unit);
      if (code == 0) break;
      write += PutCodeBehind(p + write, code);
      read += 2;
    }
    const bool any = read != read_;
    read_ = read;
    write_ = write;
    return any;
  }

  // Writes the character `c`, or a substitute when it has no code.
  void PutCharacter(uint32_t c) { PutCode(c <= 0xFFFF ? Cp932Code(c) : 0); }

  // Writes the one- or two-byte code `code`, or a substitute for 0.
  void PutCode(uint16_t code) {
    if (code == 0) {
      if (report_.Substitutes++ == 0) first_substitute_ = write_;
      code = kGetaMark;
    }
    if (write_ + 2 > read_) MakeRoom();
    if (code > 0xFF) p_[write_++] = static_cast<unsigned char>(code >> 8);
    p_[write_++] = static_cast<unsigned char>(code);
  }

  void Substitute() { PutCode(0); }

  // Ends the text where the writing stands.
  TDecodeReport Finish() {
    block_.SetSize(write_);
    if (report_.Substitutes > 0) report_.FirstSubstituteLine = LineAt(first_substitute_);
    return report_;
  }

 private:
  static unsigned char* Bytes(TByteBlock& block) {
    return reinterpret_cast<unsigned char*>(block.data());
  }

  // The index of the first byte of a word whose high bit is set in `marks`
  // (one at least), as the word was loaded from memory.
  static size_t FirstMarkedByte(uint64_t marks) {
    const int bits = std::endian::native == std::endian::little ? std::countr_zero(marks)
                                                                : std::countl_zero(marks);
    return static_cast<size_t>(bits) / 8;
  }

  // Copies the ASCII bytes from `read`, at least eight bytes before `end`,
  // to `write`, at or behind it, and returns how many they are: 0 when the
  // first byte is zero or >= 0x80. The first eight are looked at as a word;
  // a longer run, rare between Japanese characters but the whole of an
  // English text, goes on at AsciiRunLength's speed.
  static size_t CopyAsciiRun(const unsigned char* read, unsigned char* write,
                             const unsigned char* end) {
    uint64_t word;
    std::memcpy(&word, read, 8);
    const uint64_t stops = NonAsciiBytesOfWord(word);
    const size_t run = stops == 0 ? 8 : FirstMarkedByte(stops);
    if (read - write >= 8 || read == write) {
      std::memcpy(write, &word, 8);  // over bytes already read, or the same bytes
    } else {
      for (size_t i = 0; i < run; ++i) write[i] = read[i];
    }
    if (run < 8) return run;
    const size_t rest = AsciiRunLength(reinterpret_cast<const char*>(read) + 8,
                                       static_cast<size_t>(end - read) - 8);
    if (read != write) std::memmove(write + 8, read + 8, rest);
    return 8 + rest;
  }

  // Writes the nonzero code `code` (first byte low) at `at` without a
  // branch on its length and returns its length. A one-byte
  // code also writes a zero after it, at most at the second byte of the
  // character it stands for, so behind the reading, and written over next.
  static size_t PutCodeBehind(unsigned char* at, uint16_t code) {
    at[0] = static_cast<unsigned char>(code);
    at[1] = static_cast<unsigned char>(code >> 8);
    return 1 + (code > 0xFF);
  }

  void MakeRoom() {
    const size_t rest = end_ - read_;
    const size_t capacity = write_ + 2 + 2 * rest;
    block_.Reserve(capacity);
    p_ = Bytes(block_);
    std::memmove(p_ + capacity - rest, p_ + read_, rest);
    read_ = capacity - rest;
    end_ = capacity;
  }

  // The 1-based number of the line holding the written byte `at`.
  uint64_t LineAt(size_t at) const {
    uint64_t breaks = 0;
    for (size_t i = 0; i < at; ++i) {
      breaks += p_[i] == '\n' || (p_[i] == '\r' && (i + 1 >= at || p_[i + 1] != '\n'));
    }
    return breaks + 1;
  }

  TByteBlock& block_;
  unsigned char* p_;
  size_t read_;
  size_t end_;
  size_t write_ = 0;
  size_t first_substitute_ = 0;
  TDecodeReport report_;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

TDecodeReport DecodeUtf8(TByteBlock& text, size_t from) {
  TShiftJisWriter out(text, from);
  while (out.read() < out.end()) {
    if (out.ConvertCommonUtf8()) continue;
    if (out.CopyAscii()) continue;
    const unsigned char* p = out.p() + out.read();
    if (*p == 0) break;
    uint32_t c;
    out.Take(ReadUtf8(p, out.end() - out.read(), c));
    out.PutCharacter(c == kIllFormed ? 0 : c);
  }
  return out.Finish();
}

TDecodeReport DecodeUtf16(TByteBlock& text, bool big_endian) {
  TShiftJisWriter out(text, 2);
  auto unit_at = [&](size_t i) {
    const unsigned char* p = out.p() + i;
    return big_endian ? static_cast<uint32_t>(p[0] << 8 | p[1])
                      : static_cast<uint32_t>(p[1] << 8 | p[0]);
  };
  while (out.end() - out.read() >= 2) {
    if (out.ConvertCommonUtf16(big_endian)) continue;
    const uint32_t unit = unit_at(out.read());
    if (unit == 0) return out.Finish();
    out.Take(2);
    if (unit >= 0xD800 && unit <= 0xDBFF && out.end() - out.read() >= 2 &&
        unit_at(out.read()) >= 0xDC00 && unit_at(out.read()) <= 0xDFFF) {
      out.Take(2);  // a character beyond U+FFFF: none has a code
      out.Substitute();
    } else {
      out.PutCharacter(unit >= 0xD800 && unit <= 0xDFFF ? 0 : unit);
    }
  }
  if (out.read() < out.end()) {  // an odd last byte
    out.Take(1);
    out.Substitute();
  }
  return out.Finish();
}

TDecodeReport DecodeEucJp(TByteBlock& text) {
  TShiftJisWriter out(text, 0);
  while (out.read() < out.end()) {
    if (out.ConvertCommonEucJp()) continue;
    if (out.CopyAscii()) continue;
    const unsigned char* p = out.p() + out.read();
    const size_t left = out.end() - out.read();
    const unsigned char b1 = p[0];
    if (b1 == 0) break;
    const unsigned char b2 = left >= 2 ? p[1] : 0;
    if (b1 == 0x8E && b2 >= 0xA1 && b2 <= 0xDF) {
      out.Take(2);
      out.PutCode(b2);  // half-width katakana
    } else if (IsEucByte(b1) && IsEucByte(b2)) {
      out.Take(2);
      out.PutCode(ShiftJisOfJis(b1 - 0x80u, b2 - 0x80u));
    } else if (b1 == 0x8F && IsEucByte(b2) && left >= 3 && IsEucByte(p[2])) {
      out.Take(3);  // JIS X 0212, which Shift-JIS cannot hold
      out.Substitute();
    } else {
      out.Take(1);
      out.Substitute();
    }
  }
  return out.Finish();
}

TDecodeReport DecodeUnicode(TByteBlock& text) {
  const std::string_view bytes = text.view();
  if (StartsWith(bytes, "\xFF\xFE")) return DecodeUtf16(text, false);
  if (StartsWith(bytes, "\xFE\xFF")) return DecodeUtf16(text, true);
  return DecodeUtf8(text, StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0);
}

}  // namespace

uint16_t Cp932Code(uint32_t c) {
  if (c > 0xFFFF) return 0;
  const uint16_t code = CodeInOrder(c);
  return code <= 0xFF ? code : static_cast<uint16_t>(code << 8 | code >> 8);
}

char DetectedEncoding(std::string_view text) {
  for (std::string_view mark : {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"}) {
    if (StartsWith(text, mark)) return kEncodingUnicode;
  }
  return IsUtf8WithNonAscii(reinterpret_cast<const unsigned char*>(text.data()), text.size())
             ? kEncodingUnicode
             : kEncodingShiftJis;
}

TDecodeReport DecodeText(TByteBlock& text, char letter, bool look_for_unicode) {
  if (letter == kEncodingAutomatic) letter = DetectedEncoding(text.view());
  switch (letter) {
    case kEncodingUnicode: return DecodeUnicode(text);
    case kEncodingEucJp: return DecodeEucJp(text);
    case kEncodingNotGiven: {
      TDecodeReport report;
      report.LooksLikeUnicode =
          look_for_unicode && DetectedEncoding(text.view()) == kEncodingUnicode;
      return report;
    }
    default: return {};
  }
}

void WriteDecodeNotices(const TDecodeReport& report, TLineSink& messages) {
  if (report.Substitutes > 0) {
    TConsoleText line;
    line.Program(msg::kSubstitutedBefore).Program(FormatUInt(report.Substitutes));
    line.Program(msg::kSubstitutedBetween).Program(FormatUInt(report.FirstSubstituteLine));
    messages.WriteLine(line.Program(msg::kSubstitutedAfter));
  }
  if (report.LooksLikeUnicode) messages.WriteLine(msg::kLooksLikeUnicode);
}

}  // namespace quilnote
