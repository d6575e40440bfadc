// WTF-8: UTF-8 that also carries lone surrogates, so that any UTF-16 string
// (and so any Windows file name, valid Unicode or not) fits in a byte
// string and comes back unchanged. Windows file names travel through the
// program in this form; valid UTF-16 gives plain UTF-8.
#ifndef QUILNOTE_BASE_WTF8_H_
#define QUILNOTE_BASE_WTF8_H_

#include <string>
#include <string_view>

namespace quilnote {

// `units` as WTF-8: a surrogate pair as one four-byte sequence, a lone
// surrogate as the three bytes UTF-8 would give its value.
std::string Wtf8FromUtf16(std::u16string_view units);

// The UTF-16 units of WTF-8 `bytes`. A byte that starts no well-formed
// sequence (an overlong form, a value beyond U+10FFFF, a cut sequence)
// becomes U+FFFD on its own, so any bytes give some name, never a crash.
std::u16string Utf16FromWtf8(std::string_view bytes);

}  // namespace quilnote

#endif  // QUILNOTE_BASE_WTF8_H_
