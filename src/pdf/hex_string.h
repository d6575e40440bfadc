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

// Writes the 2 x n hexadecimal digits of `in[0, n)` at `out`; returns the
// end of what it wrote.
char* EncodeHex(const char* in, size_t n, char* out);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_HEX_STRING_H_
