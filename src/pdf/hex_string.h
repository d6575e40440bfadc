// Hexadecimal strings: how every line's bytes go into a page, so any byte
// at all is shown as it is and nothing in the text can break the stream.
#ifndef QUILNOTE_PDF_HEX_STRING_H_
#define QUILNOTE_PDF_HEX_STRING_H_

#include <cstddef>
#include <string_view>

#include "base/output_stream.h"

namespace quilnote {

// Writes "<", every byte of `bytes` as two upper-case hexadecimal digits,
// then ">"; an empty string gives "<>". Every piece goes through WriteStr.
void WriteHexString(TOutputStream& out, std::string_view bytes);

// Writes `before`, the hexadecimal string of `bytes` and `after`, encoding
// straight into the stream's own buffer where it has one, a buffer's room
// at a time, so a line of any length is never held whole in hexadecimal.
// REQUIRES: `before` and `after` are at most 16 bytes.
void WriteHexOperand(TOutputStream& out, std::string_view before, std::string_view bytes,
                     std::string_view after);

// Writes the 2 x n hexadecimal digits of `in[0, n)` at `out`; returns the
// end of what it wrote. Sixteen bytes at a time with SSE2 on x86-64;
// elsewhere EncodeHexPortable.
char* EncodeHex(const char* in, size_t n, char* out);
// The same digits from a table, a byte at a time, on every machine.
char* EncodeHexPortable(const char* in, size_t n, char* out);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_HEX_STRING_H_
