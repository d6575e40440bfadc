// Makes the compressed contents of pages on worker threads.
//
// Pages are made in runs of consecutive pages, each run starting at a
// remembered position in the wrapped text, so runs are independent. A
// fixed pool of workers makes them, each worker keeping one compressor for
// all its pages, and the results come back strictly in the order the runs
// were queued: the bytes are exactly those of making one page after another.
#ifndef QUILNOTE_PDF_PAGE_PRODUCER_H_
#define QUILNOTE_PDF_PAGE_PRODUCER_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/output_stream.h"
#include "pdf/deflater.h"
#include "pdf/page_geometry.h"
#include "pdf/pdf_settings.h"
#include "text/wrap.h"

namespace quilnote {

// What a run of pages came to: the stream data of each page made, in order,
// and when a page failed, its error (the pages after it are not made).
struct TPageRunResult {
  std::vector<TMemoryStream> streams;
  std::exception_ptr error;
};

// Owns the order of the runs and the bound on work in flight: at most
// `max_in_flight` runs are queued, being made, or made but not yet taken.
// The caller takes the oldest (TakeOldest) before queuing another when
// Full(). Not thread-safe itself: one thread queues and takes.
class TPageProducer {
 public:
  // Starts up to `workers` threads making compressed pages of `settings`,
  // `pagination.lines_per_page` of the `total_lines` lines each. A thread
  // that cannot be started (memory or process limits) leaves its share to
  // the others; with none at all, each run is made on the calling thread
  // when it is taken. REQUIRES: max_in_flight >= 1.
  TPageProducer(const TPDFSettings& settings, TPagination pagination, uint64_t total_lines,
                unsigned workers, size_t max_in_flight);
  // Stops the workers; runs still in flight are dropped.
  ~TPageProducer();
  TPageProducer(const TPageProducer&) = delete;
  TPageProducer& operator=(const TPageProducer&) = delete;

  bool Full() const { return results_.size() >= max_in_flight_; }
  bool Empty() const { return results_.empty(); }

  // Queues pages first_page ... first_page + pages - 1 (0-based), whose
  // lines `reader` reads from the first page's first line on.
  // REQUIRES: !Full().
  void Submit(uint64_t first_page, uint64_t pages, const TWrappedReader& reader);

  // Waits for the oldest run and returns what it came to. REQUIRES: !Empty().
  TPageRunResult TakeOldest();

 private:
  using TTask = std::packaged_task<TPageRunResult(std::unique_ptr<TDeflater>&)>;

  // Makes the pages of a run with `deflater`, created on first use and
  // dropped after a failure, when its state is unknown.
  TPageRunResult MakeRun(uint64_t first_page, uint64_t pages, TWrappedReader reader,
                         std::unique_ptr<TDeflater>& deflater) const;
  void WorkerLoop();

  const TPDFSettings settings_;
  const TPagination pagination_;
  const uint64_t total_lines_;
  const size_t max_in_flight_;
  std::deque<std::future<TPageRunResult>> results_;  // in page order

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::deque<TTask> queue_;  // not yet picked up by a worker
  bool stopping_ = false;
  std::vector<std::thread> threads_;
  std::unique_ptr<TDeflater> own_deflater_;  // the calling thread's, without workers
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_PRODUCER_H_
