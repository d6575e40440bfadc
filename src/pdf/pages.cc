#include "pdf/pages.h"

#include <deque>
#include <exception>
#include <string>

#include "base/console.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/number_format.h"
#include "base/wrap_int.h"
#include "pdf/font_objects.h"
#include "pdf/page_content.h"
#include "pdf/page_producer.h"
#include "text/wrap.h"

namespace quilnote {

namespace {

// How many runs of pages are in flight per worker: enough to keep every
// worker busy while the oldest run is written out.
constexpr size_t kRunsInFlightPerWorker = 4;

// At most this many text positions are remembered for starting runs; the
// runs grow beyond one page when a document has more pages than this.
constexpr uint64_t kMaxRunStarts = 1 << 17;

// A page whose text spans more than this many bytes is written straight to
// the file when it is not compressed, rather than made in memory first.
constexpr uint64_t kDirectPageBytes = 16 << 20;

// The first n >= 1, up to `bound`, for which n lines and the page-number
// reserve reach the printable height; 0 when there is none.
uint64_t FirstLineTooMany(const TPDFSettings& settings, uint64_t bound) {
  const int32_t height = WrapSub(settings.PageHeight, WrapMul(2, settings.VerticalMargin));
  for (uint64_t n = 1; n <= bound; ++n) {
    int32_t extent = WrapAdd(WrapMul(WrapCount(n), settings.FontSize), settings.PageNumberReserve);
    if (extent >= height) return n;
  }
  return 0;
}

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

}  // namespace

uint64_t LinesPerPage(const TPDFSettings& settings, uint64_t line_count) {
  uint64_t first = FirstLineTooMany(settings, line_count);
  return first != 0 ? first - 1 : line_count;
}

void WritePages(TOutputStream& out, TPDFObjMemManager& table, const TPDFSettings& settings,
                TLineList& text_lines, TPageList& page_list) {
  // Where pages start is known before the lines are counted: the page
  // length does not depend on the count, except that one page takes all
  // lines when they all fit. So the count remembers where runs of pages
  // start, and the runs can then be made in parallel.
  const uint64_t most_lines = text_lines.TextSize() + 1;
  const uint64_t first_too_many = FirstLineTooMany(settings, most_lines);
  const uint64_t page_step = first_too_many != 0 ? first_too_many - 1 : most_lines;
  uint64_t pages_per_run = 1;
  if (page_step != 0) {
    while (most_lines / page_step / pages_per_run >= kMaxRunStarts) pages_per_run *= 2;
  }
  WrapLines(text_lines,
            TWrapSettings{settings.PageWidth, settings.HorizontalMargin, settings.FontSize},
            page_step * pages_per_run);

  const uint64_t total = text_lines.Count();
  const uint64_t per_page =
      first_too_many != 0 && first_too_many <= total ? first_too_many - 1 : total;
  uint64_t pages = 1;
  if (total > 0) {
    if (per_page == 0) throw EDivByZero("Division by zero");
    pages = total / per_page + (total % per_page != 0 ? 1 : 0);
  }
  WriteStdoutLine(FormatUInt(total) + std::string(msg::kLines));
  WriteStdoutLine(FormatUInt(per_page) + std::string(msg::kLinesPerPage));
  WriteStdoutLine(FormatUInt(pages) + std::string(msg::kPages));
  if (per_page != page_step) pages_per_run = 1;  // a single page

  // Runs are made by the workers and written here strictly in page order.
  // An error is raised when its page's turn comes, so the pages before it
  // are written exactly as by one thread alone, and nothing after it.
  const unsigned workers = UsableCpuCount();
  TPageProducer producer(settings, per_page, total, workers, kRunsInFlightPerWorker * workers);
  struct Pending {
    uint64_t first_page;
    uint64_t pages;
    bool direct;  // written here, straight to the file
    TLineReader reader;
  };
  std::deque<Pending> pending;
  uint64_t next_page = 0;

  auto write_oldest = [&] {
    Pending run = pending.front();
    pending.pop_front();
    if (run.direct) {
      uint64_t first_line = run.first_page * per_page;
      uint64_t count = total - first_line < per_page ? total - first_line : per_page;
      WritePageObjects(out, table, settings, page_list, [&] {
        WritePlainPageContent(out, settings, settings.HorizontalMargin, settings.VerticalMargin,
                              TPageLines{run.reader, count}, settings.PageNumberReserve,
                              static_cast<int64_t>(run.first_page + 1));
      });
      return;
    }
    TPageRunResult result = producer.TakeOldest();
    for (TMemoryStream& stream : result.streams) {
      WritePageObjects(out, table, settings, page_list, [&] { CopyToStream(out, stream.view()); });
      stream = TMemoryStream();  // a page's buffers live only while it is written
    }
    if (result.error) {
      WritePageObjects(out, table, settings, page_list,
                       [&] { std::rethrow_exception(result.error); });
    }
  };

  TLineReader reader = text_lines.ReaderAt(0);
  while (next_page < pages) {
    if (pending.size() >= kRunsInFlightPerWorker * workers) write_oldest();
    const uint64_t count = pages - next_page < pages_per_run ? pages - next_page : pages_per_run;
    const uint64_t after = next_page + count;
    // The next run starts at a remembered position: no reading needed.
    TLineReader next_reader = after < pages ? text_lines.ReaderAt(after * per_page) : reader;
    const uint64_t end = after < pages ? next_reader.Position() : text_lines.TextSize();
    const bool direct = settings.CompressionLevel == 0 && count == 1 &&
                        end - reader.Position() > kDirectPageBytes;
    pending.push_back(Pending{next_page, count, direct, reader});
    if (!direct) producer.Submit(next_page, count, reader);
    next_page = after;
    reader = next_reader;
  }
  while (!pending.empty()) write_oldest();
}

}  // namespace quilnote
