// Makes the content streams of pages on worker threads. Pages are made in
// runs of consecutive pages, each run starting from a remembered position
// in the text, so runs are independent: they are made in parallel and
// handed back strictly in order, a bounded number in flight. The bytes are
// exactly those of making one page after another.
#ifndef QUILNOTE_PDF_PAGE_PRODUCER_H_
#define QUILNOTE_PDF_PAGE_PRODUCER_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/output_stream.h"
#include "pdf/pdf_settings.h"
#include "text/line_list.h"

namespace quilnote {

class TDeflater;

// The number of CPUs this process may run on (its affinity mask, so that
// taskset and container limits count), at least 1.
unsigned UsableCpuCount();

// What a run of pages came to: the stream data of each page made, in order,
// and when a page failed, its error (the pages after it are not made).
struct TPageRunResult {
  std::vector<TMemoryStream> streams;
  std::exception_ptr error;
};

class TPageProducer {
 public:
  // Starts `workers` threads making pages of `settings` (compressed when its
  // CompressionLevel is not 0) with `lines_per_page` of `total_lines` lines
  // each; at most `window` runs are in flight.
  // REQUIRES: workers >= 1, window >= 1.
  TPageProducer(const TPDFSettings& settings, uint64_t lines_per_page, uint64_t total_lines,
                unsigned workers, size_t window);
  // Stops the workers; runs still in flight are dropped.
  ~TPageProducer();
  TPageProducer(const TPageProducer&) = delete;
  TPageProducer& operator=(const TPageProducer&) = delete;

  bool Full() const { return runs_.size() >= window_; }
  bool Empty() const { return runs_.empty(); }

  // Queues pages first_page ... first_page + pages - 1 (0-based), whose
  // lines `reader` reads from the first page's first line on.
  void Submit(uint64_t first_page, uint64_t pages, const TLineReader& reader);

  // Waits for the oldest run. REQUIRES: !Empty().
  TPageRunResult TakeOldest();

 private:
  struct Run {
    uint64_t first_page;
    uint64_t pages;
    TLineReader reader;
    TPageRunResult result;
    bool done = false;
  };
  // Makes the pages of `run` into run.result, with the worker's compressor.
  void MakeRun(Run& run, std::unique_ptr<TDeflater>& deflater);
  void WorkerLoop();

  const TPDFSettings settings_;
  const uint64_t lines_per_page_;
  const uint64_t total_lines_;
  const size_t window_;
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable run_done_;
  std::deque<std::unique_ptr<Run>> runs_;  // in page order, owned here
  std::deque<Run*> queue_;                 // not yet picked up by a worker
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_PRODUCER_H_
