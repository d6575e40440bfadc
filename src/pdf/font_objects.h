// The Japanese composite font F0 every page uses: a Type 0 font with the
// predefined "90ms-RKSJ-H" encoding, so Shift-JIS bytes are shown as they
// are, its CID font and its font descriptor. The face is only named, never
// embedded: the reader supplies it.
#ifndef QUILNOTE_PDF_FONT_OBJECTS_H_
#define QUILNOTE_PDF_FONT_OBJECTS_H_

#include <cstdint>
#include <string_view>

#include "base/output_stream.h"
#include "pdf/object_writer.h"

namespace quilnote {

// The resource name of the font on every page.
inline constexpr std::string_view kFontResourceName = "F0";

// Writes the three font objects naming `base_font_name` through `objects`,
// as the next three objects, and returns the number of the font object the
// pages refer to.
uint64_t WriteFontObjects(TOutputStream& out, TObjectWriter& objects,
                          std::string_view base_font_name);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_FONT_OBJECTS_H_
