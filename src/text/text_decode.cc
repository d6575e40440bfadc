#include "text/text_decode.h"

#include <cstring>

#include "base/messages.h"
#include "base/number_format.h"
#include "text/ascii_run.h"

namespace quilnote {

namespace {

#include "text/cp932_table.inc"

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

  // Converts the run of kana and kanji from the read position on, if any:
  // three-byte characters led by E1-EC (whose second byte may be any
  // continuation byte) with two-byte codes; false when there is none.
  // The most common characters of a Japanese text, in a loop of its own
  // that keeps its positions out of memory the bytes it writes could alias.
  bool CopyKanaAndKanji() {
    unsigned char* const p = p_;
    const size_t end = end_;
    size_t read = read_, write = write_;
    while (end - read >= 3) {
      const unsigned b0 = p[read], b1 = p[read + 1], b2 = p[read + 2];
      if (b0 < 0xE1 || b0 > 0xEC || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) break;
      const uint32_t c = (b0 & 0x0Fu) << 12 | (b1 & 0x3Fu) << 6 | (b2 & 0x3Fu);
      const uint16_t code = kCodesOfPage[kPageOfHighByte[c >> 8]][c & 0xFF];
      if (code <= 0xFF) break;  // a one-byte code or none
      // Two bytes for three: the writing stays behind the reading.
      p[write] = static_cast<unsigned char>(code >> 8);
      p[write + 1] = static_cast<unsigned char>(code);
      write += 2;
      read += 3;
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
    if (out.CopyAscii()) continue;
    const unsigned char* p = out.p() + out.read();
    if (*p == 0) break;
    if (out.CopyKanaAndKanji()) continue;
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

bool IsEucByte(unsigned char b) {
  return b >= 0xA1 && b <= 0xFE;
}

TDecodeReport DecodeEucJp(TByteBlock& text) {
  TShiftJisWriter out(text, 0);
  while (out.read() < out.end()) {
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
      // JIS X 0208 row and cell to Shift-JIS, unchecked: codes that code
      // page 932 leaves undefined go through as they are.
      const unsigned j1 = b1 - 0x80u, j2 = b2 - 0x80u;
      const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
      const unsigned s2 = j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E);
      out.Take(2);
      out.PutCode(static_cast<uint16_t>(s1 << 8 | s2));
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
  return kCodesOfPage[kPageOfHighByte[c >> 8]][c & 0xFF];
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
