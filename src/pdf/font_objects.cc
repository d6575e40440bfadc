#include "pdf/font_objects.h"

#include <string>

#include "base/number_format.h"

namespace quilnote {

uint64_t WriteFontObjects(TOutputStream& out, TObjectWriter& objects,
                          std::string_view base_font_name) {
  const std::string name(base_font_name);

  // Type 0 font; its descendant is the next object.
  const uint64_t font = objects.Open(out);
  WriteStr(out, "<<\n/Type /Font\n/Name /" + std::string(kFontResourceName) +
                    "\n/Subtype /Type0\n/BaseFont /" + name + "\n");
  WriteStr(out, "/DescendantFonts [" + FormatUInt(font + 1) + " 0 R]\n");
  WriteStr(out, "/Encoding /90ms-RKSJ-H\n>>\n");
  objects.Close(out);

  // CID font: Adobe-Japan1, full-width by default, with the half-width CIDs
  // 231-389 (half-width Latin and katakana) and 631 at 500 units.
  const uint64_t cid_font = objects.Open(out);
  WriteStr(out,
           "<<\n/Type /Font\n/Subtype /CIDFontType2\n/BaseFont /" + name + "\n/WinCharSet 128\n");
  WriteStr(out, "/FontDescriptor " + FormatUInt(cid_font + 1) + " 0 R\n");
  WriteStr(out,
           "/CIDSystemInfo\n<<\n/Registry(Adobe) /Ordering(Japan1) /Supplement 2\n>>\n"
           "/DW 1000\n/W [ 231 389 500 631 631 500 ]\n>>\n");
  objects.Close(out);

  // Font descriptor: generic metrics of a Japanese face.
  objects.Open(out);
  WriteStr(out, "<<\n/Type /FontDescriptor\n/FontName /" + name + "\n");
  WriteStr(out,
           "/Flags 5\n/FontBBox [ -100 -141 1100 1000 ]\n/StemV 91\n/StemH 91\n"
           "/ItalicAngle 0\n/CapHeight 859\n/XHeight 430\n/Ascent 859\n/Descent -141\n"
           "/Leading 0\n/MaxWidth 1000\n/AvgWidth 500\n"
           "/Style << /Panose <000000000000000000000000> >> \n>>\n");
  objects.Close(out);
  return font;
}

}  // namespace quilnote
