// The three objects of a page: the page object, its content stream object
// and the stream's length object. Written the same way straight into the
// file or, for compressed pages made on a worker, into a run buffer that
// goes into the file whole.
#ifndef QUILNOTE_PDF_PAGE_OBJECTS_H_
#define QUILNOTE_PDF_PAGE_OBJECTS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/number_format.h"
#include "base/output_stream.h"
#include "pdf/font_objects.h"
#include "pdf/pdf_obj_mem_manager.h"
#include "pdf/pdf_settings.h"

namespace quilnote {

// Objects numbered and located by the file's object table.
struct TFileObjects {
  TPDFObjMemManager& table;
  uint64_t Begin(TOutputStream& out) { return BeginObject(out, table); }
  void End(TOutputStream& out) { EndObject(out, table); }
};

// Objects of a run buffer: numbered from the first number the run's pages
// will have in the file, located relative to the buffer's start, and taken
// into the file's table when the buffer is written (RecordWrittenObject).
class TRunObjects {
 public:
  explicit TRunObjects(uint64_t first_number) : next_(first_number) {}
  uint64_t Begin(TOutputStream& out) {
    starts_.push_back(out.Position());
    WriteObjectHead(out, next_);
    return next_++;
  }
  void End(TOutputStream& out) {
    WriteStr(out, "endobj\n");
    ++ended_;
  }
  // Where each object begun starts in the buffer; the first ended() ones
  // are complete.
  const std::vector<uint64_t>& starts() const { return starts_; }
  size_t ended() const { return ended_; }
  void Clear() {
    starts_.clear();
    ended_ = 0;
  }

 private:
  uint64_t next_;
  std::vector<uint64_t> starts_;
  size_t ended_ = 0;
};

// Writes one page's three objects around its content, which
// `write_content` puts out between "stream\n" and "\nendstream\n", and
// returns the page object's number. When write_content raises, the page
// object and the content object up to "stream\n" are already written: the
// file ends where writing stopped, as it would for any failing write.
template <typename Objects, typename ContentWriter>
uint64_t WritePageObjects(TOutputStream& out, Objects& objects, const TPDFSettings& settings,
                          uint64_t font_object, ContentWriter write_content) {
  const uint64_t page = objects.Begin(out);
  WriteStr(out, "<<\n/Type /Page\n/Parent 2 0 R\n/Resources\n<<\n/Font << /" +
                    std::string(kFontResourceName) + " " + FormatUInt(font_object) +
                    " 0 R >>\n/ProcSet [ /PDF /Text ]\n>>\n/MediaBox [ 0 0 " +
                    FormatInt(settings.PageWidth) + " " + FormatInt(settings.PageHeight) +
                    " ]\n/Contents " + FormatUInt(page + 1) + " 0 R\n>>\n");
  objects.End(out);

  const uint64_t content = objects.Begin(out);
  const std::string length_ref = FormatUInt(content + 1) + " 0 R";
  WriteStr(out, settings.CompressionLevel != 0
                    ? "<< /Length " + length_ref + " /Filter /FlateDecode >>\nstream\n"
                    : "<< /Length " + length_ref + " >>\nstream\n");
  const uint64_t start = out.Position();
  write_content();
  const uint64_t length = out.Position() - start;
  WriteStr(out, "\nendstream\n");
  objects.End(out);

  objects.Begin(out);
  WriteStr(out, FormatUInt(length) + "\n");
  objects.End(out);
  return page;
}

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_OBJECTS_H_
