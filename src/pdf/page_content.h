// The content stream of one page: text operators that paint its lines in
// the font F0, and the page number at its foot when page numbers are on.
#ifndef QUILNOTE_PDF_PAGE_CONTENT_H_
#define QUILNOTE_PDF_PAGE_CONTENT_H_

#include <cstdint>
#include <string_view>

#include "base/output_stream.h"
#include "pdf/deflater.h"
#include "pdf/pdf_settings.h"
#include "text/line_list.h"
#include "text/wrap.h"

namespace quilnote {

// Writes the content of a page showing `page_lines`, plain when
// settings.CompressionLevel is 0, otherwise as one zlib stream of the plain
// bytes (levels 1, 2 and 3 are zlib's 1, default and 9). The page number
// is shown when settings.PageNumbers(). This form takes a page's own line
// list; the page writer uses the forms below, which read the wrapped text
// in place. Raises EStreamError, ECompressionError or EWriteError ("Stream
// write error", when `out` does not take a block).
void WritePageContent(TOutputStream& out, const TPDFSettings& settings, const TLineList& page_lines,
                      int64_t page_number);

// The lines of one page: the next `count` lines of `reader`.
struct TPageLines {
  TWrappedReader& reader;
  uint64_t count;
};

// Writes the page's content uncompressed, advancing `lines.reader` past
// the page. A page without lines writes nothing.
void WritePlainPageContent(TOutputStream& out, const TPDFSettings& settings, TPageLines lines,
                           int64_t page_number);

// Writes the page's content as one zlib stream of its plain bytes, made by
// `deflater` (which is reset afterwards and can serve the next page). A
// page without lines is the zlib stream of no bytes. Raises EStreamError,
// ECompressionError or EWriteError.
void WriteCompressedPageContent(TOutputStream& out, const TPDFSettings& settings, TPageLines lines,
                                int64_t page_number, TDeflater& deflater);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_CONTENT_H_
