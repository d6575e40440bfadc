// Pagination: spreads the wrapped lines over pages and writes every page.
#ifndef QUILNOTE_PDF_PAGES_H_
#define QUILNOTE_PDF_PAGES_H_

#include <cstdint>

#include "base/output_stream.h"
#include "pdf/page_list.h"
#include "pdf/pdf_obj_mem_manager.h"
#include "pdf/pdf_settings.h"
#include "text/line_list.h"

namespace quilnote {

// Lines per page: the first n whose n x FontSize + reserve reaches the
// printable height, less one; `line_count` when every line fits. In the
// wrapping 32-bit arithmetic of the page geometry.
uint64_t LinesPerPage(const TPDFSettings& settings, uint64_t line_count);

// Wraps `text_lines`, prints the statistics lines "<n> 行", "<n> 行/ページ"
// and "<n> ページ", then writes, per page, the page object, its content
// stream object and the stream's length object, appending each page
// object's number to `page_list`.
// Raises EDivByZero "Division by zero" when not even one line fits a page
// (before any page is written), EInOutError when standard output fails, and
// whatever writing the content raises.
void WritePages(TOutputStream& out, TPDFObjMemManager& table, const TPDFSettings& settings,
                TLineList& text_lines, TPageList& page_list);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGES_H_
