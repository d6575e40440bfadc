#include "pdf/pages.h"

#include <exception>
#include <memory>
#include <string>

#include "base/console.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/number_format.h"
#include "base/wrap_int.h"
#include "pdf/deflater.h"
#include "pdf/font_objects.h"
#include "pdf/page_compressor.h"
#include "pdf/page_content.h"
#include "text/wrap.h"

namespace quilnote {

namespace {

// Writes one page's three objects around its content, which `write_content`
// puts out between "stream\n" and "\nendstream\n".
template <typename ContentWriter>
void WritePageObjects(TOutputStream& out, TPDFObjMemManager& table,
                      const TPDFSettings& settings, TPageList& page_list,
                      ContentWriter write_content) {
  page_list.Append(table.Count() + 1);
  BeginObject(out, table);
  WriteStr(out, "<<\n/Type /Page\n/Parent 2 0 R\n/Resources\n<<\n/Font << /" +
                    std::string(kFontResourceName) +
                    " 3 0 R >>\n/ProcSet [ /PDF /Text ]\n>>\n/MediaBox [ 0 0 " +
                    FormatInt(settings.PageWidth) + " " + FormatInt(settings.PageHeight) +
                    " ]\n/Contents " + FormatUInt(table.Count() + 2) + " 0 R\n>>\n");
  EndObject(out, table);

  BeginObject(out, table);
  const std::string length_ref = FormatUInt(table.Count() + 2) + " 0 R";
  WriteStr(out, settings.CompressionLevel != 0
                    ? "<< /Length " + length_ref + " /Filter /FlateDecode >>\nstream\n"
                    : "<< /Length " + length_ref + " >>\nstream\n");
  uint64_t start = out.Position();
  write_content();
  uint64_t length = out.Position() - start;
  WriteStr(out, "\nendstream\n");
  EndObject(out, table);

  BeginObject(out, table);
  WriteStr(out, FormatUInt(length) + "\n");
  EndObject(out, table);
}

// How many pages a parallel run keeps in flight per worker: enough to keep
// every worker busy while the oldest page is written out.
constexpr size_t kPagesInFlightPerWorker = 4;

}  // namespace

uint64_t LinesPerPage(const TPDFSettings& settings, uint64_t line_count) {
  const int32_t height = WrapSub(settings.PageHeight, WrapMul(2, settings.VerticalMargin));
  for (uint64_t n = 1; n <= line_count; ++n) {
    int32_t extent = WrapAdd(WrapMul(WrapCount(n), settings.FontSize), settings.PageNumberReserve);
    if (extent >= height) return n - 1;
  }
  return line_count;
}

void WritePages(TOutputStream& out, TPDFObjMemManager& table, const TPDFSettings& settings,
                TLineList& text_lines, TPageList& page_list) {
  WrapLines(text_lines, TWrapSettings{settings.PageWidth, settings.HorizontalMargin,
                                      settings.FontSize});
  const uint64_t total = text_lines.Count();
  const uint64_t per_page = LinesPerPage(settings, total);
  uint64_t pages = 1;
  if (total > 0) {
    if (per_page == 0) throw EDivByZero("Division by zero");
    pages = total / per_page + (total % per_page != 0 ? 1 : 0);
  }
  WriteStdoutLine(FormatUInt(total) + std::string(msg::kLines));
  WriteStdoutLine(FormatUInt(per_page) + std::string(msg::kLinesPerPage));
  WriteStdoutLine(FormatUInt(pages) + std::string(msg::kPages));

  TLineReader reader(text_lines);
  uint64_t placed = 0;
  // The lines of the next page; advances `placed`.
  auto next_page = [&]() {
    uint64_t count = total - placed < per_page ? total - placed : per_page;
    placed += count;
    return TPageLines{reader, count};
  };
  const int32_t h_margin = settings.HorizontalMargin;
  const int32_t v_margin = settings.VerticalMargin;
  const int32_t reserve = settings.PageNumberReserve;

  const unsigned workers = settings.CompressionLevel != 0 ? UsableCpuCount() : 1;
  if (settings.CompressionLevel == 0 || workers < 2 || pages < 2) {
    std::unique_ptr<TDeflater> deflater;
    for (uint64_t p = 0; p < pages; ++p) {
      TPageLines lines = next_page();
      WritePageObjects(out, table, settings, page_list, [&] {
        if (settings.CompressionLevel == 0) {
          WritePlainPageContent(out, settings, h_margin, v_margin, lines, reserve,
                                static_cast<int64_t>(p + 1));
          return;
        }
        TMemoryStream content;
        WritePlainPageContent(content, settings, h_margin, v_margin, lines, reserve,
                              static_cast<int64_t>(p + 1));
        if (!deflater) deflater = std::make_unique<TDeflater>(ZlibLevel(settings.CompressionLevel));
        TMemoryStream compressed;
        deflater->Compress(content.view(), compressed);
        CopyToStream(out, compressed.view());
      });
    }
    return;
  }

  // Several CPUs: this thread builds each page's plain content and writes
  // the finished pages in order while the workers compress. An error is
  // raised when its page's turn comes, so the pages before it are written
  // exactly as in a run on one CPU, and nothing after it.
  TPageCompressor compressor(ZlibLevel(settings.CompressionLevel), workers,
                             kPagesInFlightPerWorker * workers);
  auto write_oldest = [&] {
    WritePageObjects(out, table, settings, page_list, [&] {
      TMemoryStream compressed = compressor.TakeOldest();
      CopyToStream(out, compressed.view());
    });
  };
  bool failed = false;
  for (uint64_t p = 0; p < pages && !failed; ++p) {
    if (compressor.Full()) write_oldest();
    try {
      TMemoryStream content;
      WritePlainPageContent(content, settings, h_margin, v_margin, next_page(), reserve,
                            static_cast<int64_t>(p + 1));
      compressor.Submit(std::move(content));
    } catch (...) {
      compressor.SubmitFailure(std::current_exception());
      failed = true;
    }
  }
  while (!compressor.Empty()) write_oldest();
}

}  // namespace quilnote
