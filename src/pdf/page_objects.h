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
#include "pdf/object_writer.h"
#include "pdf/pdf_settings.h"

namespace quilnote {

// Writes one page's objects around its content, which
// `write_content` puts out between "stream\n" and "\nendstream\n", and
// returns the page object's number. When write_content raises, the page
// object and the content object up to "stream\n" are already written: the
// file ends where writing stopped, as it would for any failing write.
template <typename ContentWriter>
uint64_t WritePageObjects(TOutputStream& out, TObjectWriter& objects, const TPDFSettings& settings,
                          uint64_t font_object, ContentWriter write_content) {
  const uint64_t page = objects.Open(out);
  WriteStr(out, "<<\n/Type /Page\n/Parent 2 0 R\n/Resources\n<<\n/Font << /" +
                    std::string(kFontResourceName) + " " + FormatUInt(font_object) +
                    " 0 R >>\n/ProcSet [ /PDF /Text ]\n>>\n/MediaBox [ 0 0 " +
                    FormatInt(settings.PageWidth) + " " + FormatInt(settings.PageHeight) +
                    " ]\n/Contents " + FormatUInt(page + 1) + " 0 R\n>>\n");
  objects.Close(out);

  const uint64_t content = objects.Open(out);
  const std::string length_ref = FormatUInt(content + 1) + " 0 R";
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
