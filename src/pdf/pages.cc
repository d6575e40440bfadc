#include "pdf/pages.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "base/messages.h"
#include "base/number_format.h"
#include "base/platform.h"
#include "pdf/page_content.h"
#include "pdf/page_geometry.h"
#include "pdf/page_objects.h"
#include "pdf/page_plan.h"
#include "pdf/page_producer.h"
#include "text/wrap.h"

namespace quilnote {

namespace {

// How many runs of pages are in flight per worker: enough to keep every
// worker busy while the oldest run is written out.
constexpr size_t kRunsInFlightPerWorker = 4;

// The number of lines of `text`, estimated from its first megabyte: only
// the size of the runs depends on it, and counting them all would keep the
// workers waiting.
uint64_t EstimateLines(std::string_view text) {
  const std::string_view sample = text.substr(0, 1 << 20);
  const auto breaks = static_cast<uint64_t>(std::count(sample.begin(), sample.end(), '\n') +
                                            std::count(sample.begin(), sample.end(), '\r'));
  return sample.empty() ? 0 : (breaks + 1) * (text.size() / sample.size());
}

// What every page writer needs to know.
struct TPageWriter {
  TOutputStream& out;
  TObjectWriter& objects;
  const TPageSetup& setup;
  const TWrappedLines& lines;
  TPageList& page_list;
  TProgressSink* progress;

  void TellPagesWritten() const {
    if (progress != nullptr) progress->PagesWritten(page_list.Count(), setup.pagination.pages);
  }

  void WritePlainPages() {
    TWrappedReader reader = lines.ReaderAt(0);
    for (uint64_t page = 0; page < setup.pagination.pages; ++page) {
      const TPageLines page_lines{reader, setup.pagination.LinesOn(page)};
      page_list.Append(WritePageObjects(out, objects, setup, [&] {
        WritePlainPageContent(out, setup.settings, page_lines, static_cast<int64_t>(page + 1));
      }));
      TellPagesWritten();
    }
  }

  // Takes a run's objects into the document's where its buffer lands, then
  // writes the buffer; a failed page's error is raised after its begun
  // objects, as writing it here would have.
  void WriteRun(TPageRun run, TPageProducer& producer) {
    objects.Adopt(run.objects, out.Position());
    for (uint64_t i = page_plan::kPageObject; i < run.objects.Opened();
         i += page_plan::kObjectsPerPage) {
      page_list.Append(run.objects.FirstNumber() + i);
    }
    CopyToStream(out, run.bytes.view());
    if (run.error) std::rethrow_exception(run.error);
    TellPagesWritten();
    producer.Recycle(std::move(run));
  }

  void WriteCompressedPages(uint64_t pages_per_run) {
    const TPagination& pagination = setup.pagination;
    // A document of one run is made on this thread: starting workers would
    // cost more than its pages.
    const bool one_run = pagination.pages <= pages_per_run;
    const unsigned workers = one_run ? 0 : WorkerThreadCount();
    TPageProducer producer(setup, workers, kRunsInFlightPerWorker * std::max(workers, 1u));
    TWrappedReader reader = lines.ReaderAt(0);
    for (uint64_t first = 0; first < pagination.pages; first += pages_per_run) {
      if (producer.Full()) WriteRun(producer.TakeOldest(), producer);
      const uint64_t after = std::min(first + pages_per_run, pagination.pages);
      producer.Submit(first, after - first, reader);
      // The next run starts at a remembered position: no reading needed.
      if (after < pagination.pages) reader = lines.ReaderAt(after * pagination.lines_per_page);
    }
    while (!producer.Empty()) WriteRun(producer.TakeOldest(), producer);
  }
};

}  // namespace

void WritePages(TOutputStream& out, TObjectWriter& objects, const TPDFSettings& settings,
                const TPagePlan& plan, const TLineList& text_lines, TPageList& page_list,
                TLineSink& statistics, TProgressSink* progress) {
  // Where pages start is known before the lines are counted: the page
  // length does not depend on the count, except that one page takes all
  // lines when they all fit, and then there is one page and so one run. So
  // the count can remember where runs of pages start, for making
  // compressed runs in parallel.
  const uint64_t max_lines = text_lines.Text().size() + 1;
  const TPageStep step = FindPageStep(settings, max_lines);
  const bool compressed = settings.CompressionLevel != 0;
  const TRunPlan runs = compressed ? PlanRuns(step, max_lines, text_lines.Text().size(),
                                              EstimateLines(text_lines.Text()))
                                   : TRunPlan{1, 0};
  const TWrappedLines lines =
      WrapLines(text_lines, settings.Wrap(), runs.checkpoint_stride, statistics);

  const TPageSetup setup{settings, Paginate(step, lines.Count()), plan};
  const TPagination& pagination = setup.pagination;
  statistics.WriteLine(TConsoleText(FormatUInt(lines.Count())).Program(msg::kLines));
  statistics.WriteLine(
      TConsoleText(FormatUInt(pagination.lines_per_page)).Program(msg::kLinesPerPage));
  statistics.WriteLine(TConsoleText(FormatUInt(pagination.pages)).Program(msg::kPages));

  TPageWriter writer{out, objects, setup, lines, page_list, progress};
  writer.TellPagesWritten();
  if (!compressed) {
    writer.WritePlainPages();
  } else {
    writer.WriteCompressedPages(runs.pages_per_run);
  }
}

}  // namespace quilnote
