// Reading a text written in UTF-8, UTF-16 or EUC-JP: its bytes turned into
// the Shift-JIS (code page 932) bytes that everything after reading works
// on, once, right after the text is read.
#ifndef QUILNOTE_TEXT_TEXT_DECODE_H_
#define QUILNOTE_TEXT_TEXT_DECODE_H_

#include <cstdint>
#include <string_view>

#include "base/byte_block.h"
#include "base/console.h"

namespace quilnote {

// Encoding letters, as the command line sets them.
inline constexpr char kEncodingNotGiven = 'n';  // bytes as they are, like 's'
inline constexpr char kEncodingShiftJis = 's';
inline constexpr char kEncodingUnicode = 'u';  // UTF-16 by its byte-order mark, else UTF-8
inline constexpr char kEncodingEucJp = 'e';
inline constexpr char kEncodingAutomatic = 'a';  // Unicode when it looks so, else Shift-JIS

// What decoding a text did.
struct TDecodeReport {
  // Characters without a code page 932 code (and ill-formed sequences),
  // each written as the substitute 〓 (81 AC).
  uint64_t Substitutes = 0;
  // The 1-based line of the text (CR, LF and CR LF breaks) with the first.
  uint64_t FirstSubstituteLine = 0;
  // Asked for with no encoding given: 'a' would have read it as Unicode.
  bool LooksLikeUnicode = false;
};

// The code page 932 code of the character `c`: a byte 01-7F or A1-DF, a
// two-byte code as lead byte * 256 + trail byte, or 0 when it has none.
uint16_t Cp932Code(uint32_t c);

// The letter that 'a' reads `text` in: 'u' for a text starting with a
// byte-order mark (FF FE, FE FF or EF BB BF), or whose bytes before the
// first zero byte are well-formed UTF-8 holding a byte >= 0x80; otherwise 's'.
char DetectedEncoding(std::string_view text);

// Replaces the bytes of `text` with their Shift-JIS form for the encoding
// `letter`; 'n', 's' and unknown letters leave them as they are. The text
// ends at its first zero byte (at its first U+0000 in UTF-16); the result
// holds no zero byte. With `look_for_unicode` and the letter 'n', the report
// tells whether 'a' would have read the text as Unicode.
// Valid text never grows, so it is converted in place; a text with
// substitutes may grow to 2 x its size. Throws std::bad_alloc.
TDecodeReport DecodeText(TByteBlock& text, char letter, bool look_for_unicode);

// Writes the lines `report` calls for to `messages`: the count of
// substitutes with the line of the first, and the hint that the text looks
// like Unicode.
void WriteDecodeNotices(const TDecodeReport& report, TLineSink& messages);

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_TEXT_DECODE_H_
