// Pagination: spreads the wrapped lines over pages and writes every page.
#ifndef QUILNOTE_PDF_PAGES_H_
#define QUILNOTE_PDF_PAGES_H_

#include <cstdint>

#include "base/console.h"
#include "base/output_stream.h"
#include "pdf/page_list.h"
#include "pdf/pdf_obj_mem_manager.h"
#include "pdf/pdf_settings.h"
#include "pdf/progress.h"
#include "text/line_list.h"

namespace quilnote {

// Wraps `text_lines` (writing the column count line to `statistics`),
// writes the statistics lines "<n> 行", "<n> 行/ページ" and "<n> ページ" there,
// then writes, per page, the page object (naming the font object
// `font_object`), its content stream object and the stream's length
// object, appending each page object's number to `page_list` and telling
// the pages written to `progress`, when given.
// Compressed pages are made on every usable CPU; the bytes are the same as
// on one. Raises EDivByZero "Division by zero" when not even one line fits
// a page (before any page is written), what `statistics` raises, and
// whatever writing the content raises. A page whose content fails leaves
// the file ending in that page's object and its content object's
// "stream\n": the pages before it are complete.
void WritePages(TOutputStream& out, TPDFObjMemManager& table, const TPDFSettings& settings,
                uint64_t font_object, const TLineList& text_lines, TPageList& page_list,
                TLineSink& statistics, TProgressSink* progress = nullptr);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGES_H_
