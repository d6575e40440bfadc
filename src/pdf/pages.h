// Pagination: spreads the wrapped lines over pages and writes every page.
#ifndef QUILNOTE_PDF_PAGES_H_
#define QUILNOTE_PDF_PAGES_H_

#include <cstdint>

#include "base/console.h"
#include "base/output_stream.h"
#include "pdf/object_writer.h"
#include "pdf/page_list.h"
#include "pdf/page_plan.h"
#include "pdf/pdf_settings.h"
#include "pdf/progress.h"
#include "text/line_list.h"

namespace quilnote {

// Wraps `text_lines` (writing the column count line to `statistics`),
// writes the statistics lines "<n> 行", "<n> 行/ページ" and "<n> ページ" there,
// then writes, per page, through the document's `objects`, the page
// object, its content stream object and the stream's length object,
// numbered and referring as `plan` says, appending each page object's
// number to `page_list` and telling the pages written to `progress`, when
// given.
// Compressed pages are made on every usable CPU; the bytes are the same as
// on one. Raises EDivByZero "Division by zero" when not even one line fits
// a page (before any page is written), what `statistics` raises, and
// whatever writing the content raises. A page whose content fails leaves
// the file ending in that page's object and its content object's
// "stream\n": the pages before it are complete.
void WritePages(TOutputStream& out, TObjectWriter& objects, const TPDFSettings& settings,
                const TPagePlan& plan, const TLineList& text_lines, TPageList& page_list,
                TLineSink& statistics, TProgressSink* progress = nullptr);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGES_H_
