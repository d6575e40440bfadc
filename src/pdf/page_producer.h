// Makes compressed pages on worker threads.
//
// Pages are made in runs of consecutive pages, each run starting at a
// remembered position in the wrapped text, so runs are independent. A
// fixed pool of workers makes them, each worker keeping one compressor for
// all its pages. A run comes back as its pages' objects, whole,
// in one buffer ready for the file, and runs come back strictly in the
// order they were queued: the bytes are exactly those of writing one page
// after another.
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
#include "pdf/object_writer.h"
#include "pdf/page_objects.h"
#include "text/wrap.h"

namespace quilnote {

// A run of pages made: the objects of its pages as they go into the file.
struct TPageRun {
  TMemoryStream bytes;
  // The objects in `bytes`, for the document's object writer to adopt.
  TRunObjectWriter objects;
  // When a page failed: its error. `bytes` then ends with that page's
  // object and its content object up to "stream\n", as a file written
  // page by page would, and the pages after it are not made.
  std::exception_ptr error;
};

// Owns the order of the runs and the bound on work in flight: at most
// `max_in_flight` runs are queued, being made, or made but not yet taken.
// The caller takes the oldest (TakeOldest) before queuing another when
// Full(). Not thread-safe itself: one thread queues and takes.
class TPageProducer {
 public:
  // Starts up to `workers` threads. A thread that cannot be started
  // (memory or process limits) leaves its share to the others; with none
  // at all, each run is made on the calling thread when it is taken.
  // REQUIRES: max_in_flight >= 1, setup.settings.CompressionLevel != 0.
  TPageProducer(const TPageSetup& setup, unsigned workers, size_t max_in_flight);
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

  // Waits for the oldest run and returns it. REQUIRES: !Empty().
  TPageRun TakeOldest();

  // Hands a written run back, so its buffer serves a later run.
  void Recycle(TPageRun run);

 private:
  using TTask = std::packaged_task<TPageRun(std::unique_ptr<TDeflater>&)>;

  // Makes the pages of a run with `deflater`, created on first use and
  // dropped after a failure, when its state is unknown.
  TPageRun MakeRun(uint64_t first_page, uint64_t pages, TWrappedReader reader,
                   std::unique_ptr<TDeflater>& deflater);
  void WorkerLoop();

  const TPageSetup setup_;
  const size_t max_in_flight_;
  std::deque<std::future<TPageRun>> results_;  // in page order

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::deque<TTask> queue_;      // not yet picked up by a worker
  std::vector<TPageRun> spare_;  // written runs, their buffers kept for reuse
  bool stopping_ = false;
  std::vector<std::thread> threads_;
  std::unique_ptr<TDeflater> own_deflater_;  // the calling thread's, without workers
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_PRODUCER_H_
