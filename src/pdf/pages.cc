#include "pdf/pages.h"

#include <algorithm>
#include <exception>
#include <string>

#include "base/messages.h"
#include "base/number_format.h"
#include "base/platform.h"
#include "pdf/font_objects.h"
#include "pdf/page_content.h"
#include "pdf/page_geometry.h"
#include "pdf/page_producer.h"
#include "text/wrap.h"

namespace quilnote {

namespace {

// How many runs of pages are in flight per worker: enough to keep every
// worker busy while the oldest run is written out.
constexpr size_t kRunsInFlightPerWorker = 4;

// What every page writer needs to know.
struct TPageWriter {
  TOutputStream& out;
  TPDFObjMemManager& table;
  const TPDFSettings& settings;
  uint64_t font_object;
  TPageList& page_list;

  // Writes one page's three objects around its content, which
  // `write_content` puts out between "stream\n" and "\nendstream\n". When
  // it raises, the page object and the content object up to "stream\n"
  // are already written: the file ends where one page-by-page writer
  // would have stopped.
  template <typename ContentWriter>
  void WritePage(ContentWriter write_content) {
    const uint64_t page = BeginObject(out, table);
    page_list.Append(page);
    WriteStr(out, "<<\n/Type /Page\n/Parent 2 0 R\n/Resources\n<<\n/Font << /" +
                      std::string(kFontResourceName) + " " + FormatUInt(font_object) +
                      " 0 R >>\n/ProcSet [ /PDF /Text ]\n>>\n/MediaBox [ 0 0 " +
                      FormatInt(settings.PageWidth) + " " + FormatInt(settings.PageHeight) +
                      " ]\n/Contents " + FormatUInt(page + 1) + " 0 R\n>>\n");
    EndObject(out, table);

    const uint64_t content = BeginObject(out, table);
    const std::string length_ref = FormatUInt(content + 1) + " 0 R";
    WriteStr(out, settings.CompressionLevel != 0
                      ? "<< /Length " + length_ref + " /Filter /FlateDecode >>\nstream\n"
                      : "<< /Length " + length_ref + " >>\nstream\n");
    const uint64_t start = out.Position();
    write_content();
    const uint64_t length = out.Position() - start;
    WriteStr(out, "\nendstream\n");
    EndObject(out, table);

    BeginObject(out, table);
    WriteStr(out, FormatUInt(length) + "\n");
    EndObject(out, table);
  }

  void WritePlainPages(const TWrappedLines& lines, TPagination pagination) {
    TWrappedReader reader = lines.ReaderAt(0);
    uint64_t left = lines.Count();
    for (uint64_t page = 0; page < pagination.pages; ++page) {
      const uint64_t count = std::min(left, pagination.lines_per_page);
      WritePage([&] {
        WritePlainPageContent(out, settings, settings.HorizontalMargin, settings.VerticalMargin,
                              TPageLines{reader, count}, settings.PageNumberReserve,
                              static_cast<int64_t>(page + 1));
      });
      left -= count;
    }
  }

  void WriteRun(TPageRunResult run) {
    for (TMemoryStream& stream : run.streams) {
      WritePage([&] { CopyToStream(out, stream.view()); });
      stream = TMemoryStream();  // a page's buffers live only while it is written
    }
    if (run.error) WritePage([&] { std::rethrow_exception(run.error); });
  }

  void WriteCompressedPages(const TWrappedLines& lines, TPagination pagination,
                            uint64_t pages_per_run) {
    const unsigned workers = UsableCpuCount();
    TPageProducer producer(settings, pagination, lines.Count(), workers,
                           kRunsInFlightPerWorker * workers);
    TWrappedReader reader = lines.ReaderAt(0);
    for (uint64_t first = 0; first < pagination.pages; first += pages_per_run) {
      if (producer.Full()) WriteRun(producer.TakeOldest());
      const uint64_t after = std::min(first + pages_per_run, pagination.pages);
      producer.Submit(first, after - first, reader);
      // The next run starts at a remembered position: no reading needed.
      if (after < pagination.pages) reader = lines.ReaderAt(after * pagination.lines_per_page);
    }
    while (!producer.Empty()) WriteRun(producer.TakeOldest());
  }
};

}  // namespace

void WritePages(TOutputStream& out, TPDFObjMemManager& table, const TPDFSettings& settings,
                uint64_t font_object, const TLineList& text_lines, TPageList& page_list,
                TLineSink& statistics) {
  // Where pages start is known before the lines are counted: the page
  // length does not depend on the count, except that one page takes all
  // lines when they all fit. So the count can remember where runs of
  // pages start, for making compressed runs in parallel.
  const uint64_t max_lines = text_lines.Text().size() + 1;
  const TPageStep step = FindPageStep(settings, max_lines);
  const bool compressed = settings.CompressionLevel != 0;
  const TRunPlan plan = compressed ? PlanRuns(step, max_lines) : TRunPlan{1, 0};
  const TWrappedLines lines =
      WrapLines(text_lines, {settings.PageWidth, settings.HorizontalMargin, settings.FontSize},
                plan.checkpoint_stride, statistics);

  const TPagination pagination = Paginate(step, lines.Count());
  statistics.WriteLine(TConsoleText(FormatUInt(lines.Count())).Program(msg::kLines));
  statistics.WriteLine(
      TConsoleText(FormatUInt(pagination.lines_per_page)).Program(msg::kLinesPerPage));
  statistics.WriteLine(TConsoleText(FormatUInt(pagination.pages)).Program(msg::kPages));

  TPageWriter writer{out, table, settings, font_object, page_list};
  if (!compressed) {
    writer.WritePlainPages(lines, pagination);
  } else {
    // One page takes all the lines when they all fit: a single run.
    const bool single = pagination.lines_per_page != step.lines;
    writer.WriteCompressedPages(lines, pagination, single ? 1 : plan.pages_per_run);
  }
}

}  // namespace quilnote
