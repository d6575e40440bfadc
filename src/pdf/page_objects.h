// The objects of a page (page_plan.h): the page object, its content stream
// object and the stream's length object. Written the same way straight into
// the file or, for compressed pages made on a worker, into a run buffer that
// goes into the file whole.
#ifndef QUILNOTE_PDF_PAGE_OBJECTS_H_
#define QUILNOTE_PDF_PAGE_OBJECTS_H_

#include <cstdint>
#include <string>

#include "base/number_format.h"
#include "base/output_stream.h"
#include "pdf/font_objects.h"
#include "pdf/page_geometry.h"
#include "pdf/page_plan.h"
#include "pdf/pdf_settings.h"

namespace quilnote {

// What every page of a document shares.
struct TPageSetup {
  TPDFSettings settings;
  TPagination pagination;
  TPagePlan plan;
};

// Writes one page's objects through `objects` (the document's object
// writer, or a run buffer's) around its content, which `write_content` puts
// out between "stream\n" and "\nendstream\n", and returns the page
// object's number. Every reference comes from setup.plan. When write_content
// raises, the page object and the content object up to "stream\n" are
// already written: the file ends where writing stopped, as it would for
// any failing write.
template <typename ObjectWriter, typename ContentWriter>
uint64_t WritePageObjects(TOutputStream& out, ObjectWriter& objects, const TPageSetup& setup,
                          ContentWriter write_content) {
  const TPDFSettings& settings = setup.settings;
  const TPagePlan& plan = setup.plan;
  const uint64_t page = objects.Open(out);
  WriteStr(out,
           "<<\n/Type /Page\n/Parent " + FormatUInt(plan.page_tree) +
               " 0 R\n/Resources\n<<\n/Font << /" + std::string(kFontResourceName) + " " +
               FormatUInt(plan.font) + " 0 R >>\n/ProcSet [ /PDF /Text ]\n>>\n/MediaBox [ 0 0 " +
               FormatInt(settings.PageWidth) + " " + FormatInt(settings.PageHeight) +
               " ]\n/Contents " + FormatUInt(page_plan::ContentObjectNumber(page)) + " 0 R\n>>\n");
  objects.Close(out);

  objects.Open(out);
  const std::string length_ref = FormatUInt(page_plan::LengthObjectNumber(page)) + " 0 R";
  WriteStr(out, settings.CompressionLevel != 0
                    ? "<< /Length " + length_ref + " /Filter /FlateDecode >>\nstream\n"
                    : "<< /Length " + length_ref + " >>\nstream\n");
  const uint64_t start = out.Position();
  write_content();
  const uint64_t length = out.Position() - start;
  WriteStr(out, "\nendstream\n");
  objects.Close(out);

  objects.Open(out);
  WriteStr(out, FormatUInt(length) + "\n");
  objects.Close(out);
  return page;
}

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_OBJECTS_H_
