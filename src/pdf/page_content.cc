#include "pdf/page_content.h"

#include <string>

#include "base/errors.h"
#include "base/number_format.h"
#include "pdf/font_objects.h"
#include "pdf/hex_string.h"
#include "pdf/start_y.h"

namespace quilnote {

namespace {

// The page number's line, at the foot of the page: 8-point text whose
// baseline is 6.96 points above the page's bottom edge.
constexpr int32_t kPageNumberFontSize = 8;
constexpr double kPageNumberBaseline = 6.96;

// Writes the operators for the next `count` lines of `reader`; nothing for
// none. Works on any reader of lines: the page writer's wrapped reader, or
// a page's own line list.
template <typename Reader>
void WriteOperators(TOutputStream& out, const TPDFSettings& settings, Reader& reader,
                    uint64_t count, int64_t page_number) {
  if (count == 0) return;
  const std::string font(kFontResourceName);
  const float y = StartY(settings.PageHeight, settings.VerticalMargin, settings.FontSize);
  if (settings.PageNumbers()) {
    // "- n -" centred by its width in half-width characters (4 points each).
    const std::string number = FormatInt(page_number);
    const int64_t x = settings.PageWidth / 2 - 4 * (static_cast<int64_t>(number.size()) + 6);
    WriteStr(out, "BT\n/" + font + " " + FormatInt(kPageNumberFontSize) + " Tf\n0 0 0 rg " +
                      FormatInt(x) + " " + FormatFixed2(kPageNumberBaseline) + " Td (- " + number +
                      " -)  Tj\nET\n");
  }
  WriteStr(out, "BT\n/" + font + " " + FormatInt(settings.FontSize) + " Tf\n0 0 0 rg " +
                    FormatInt(settings.FontSize) + " TL " + FormatInt(settings.HorizontalMargin) +
                    " " + FormatFixed2(y) + " Td ");
  std::string_view line;
  for (uint64_t i = 0; i < count && reader.Next(&line); ++i) {
    WriteHexOperand(out, i > 0 ? "T* " : "", line, " Tj\n");
  }
  WriteStr(out, "ET\n");
}

template <typename Reader>
void WriteCompressed(TOutputStream& out, const TPDFSettings& settings, Reader& reader,
                     uint64_t count, int64_t page_number, TDeflater& deflater) {
  TMemoryStream content;
  WriteOperators(content, settings, reader, count, page_number);
  // A page without lines still gets a zlib stream, of no bytes: its stream
  // is marked /FlateDecode, and readers refuse zero bytes there as a
  // damaged stream.
  TMemoryStream compressed;
  deflater.Compress(content.view(), compressed);
  content = TMemoryStream();  // release the plain bytes before copying
  CopyToStream(out, compressed.view());
}

}  // namespace

void WritePlainPageContent(TOutputStream& out, const TPDFSettings& settings, TPageLines lines,
                           int64_t page_number) {
  WriteOperators(out, settings, lines.reader, lines.count, page_number);
}

void WriteCompressedPageContent(TOutputStream& out, const TPDFSettings& settings, TPageLines lines,
                                int64_t page_number, TDeflater& deflater) {
  WriteCompressed(out, settings, lines.reader, lines.count, page_number, deflater);
}

void WritePageContent(TOutputStream& out, const TPDFSettings& settings, const TLineList& page_lines,
                      int64_t page_number) {
  TLineReader reader = page_lines.Reader();
  if (settings.CompressionLevel == 0) {
    WriteOperators(out, settings, reader, page_lines.Count(), page_number);
    return;
  }
  TDeflater deflater(ZlibLevel(settings.CompressionLevel));
  WriteCompressed(out, settings, reader, page_lines.Count(), page_number, deflater);
}

}  // namespace quilnote
