// Compresses page contents on worker threads. Page content streams are
// independent zlib streams, so pages are compressed in parallel and handed
// back strictly in the order they were submitted, with a bounded number in
// flight. The bytes are the same as compressing one page after another.
#ifndef QUILNOTE_PDF_PAGE_COMPRESSOR_H_
#define QUILNOTE_PDF_PAGE_COMPRESSOR_H_

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/output_stream.h"

namespace quilnote {

// The number of CPUs this process may run on (its affinity mask, so that
// taskset and container limits count), at least 1.
unsigned UsableCpuCount();

class TPageCompressor {
 public:
  // Starts `workers` threads compressing at `zlib_level`; at most `window`
  // pages are in flight. REQUIRES: workers >= 1, window >= 1.
  TPageCompressor(int zlib_level, unsigned workers, size_t window);
  // Stops the workers; pages still in flight are dropped.
  ~TPageCompressor();
  TPageCompressor(const TPageCompressor&) = delete;
  TPageCompressor& operator=(const TPageCompressor&) = delete;

  bool Full() const { return jobs_.size() >= window_; }
  bool Empty() const { return jobs_.empty(); }

  // Queues a page's plain content for compression.
  void Submit(TMemoryStream content);
  // Queues a page whose content could not be built: TakeOldest rethrows
  // `error` when this page's turn comes.
  void SubmitFailure(std::exception_ptr error);

  // Waits for the oldest page and returns its zlib stream, or rethrows the
  // error its compression raised. REQUIRES: !Empty().
  TMemoryStream TakeOldest();

 private:
  struct Job {
    TMemoryStream content;
    TMemoryStream result;
    std::exception_ptr error;
    bool done = false;
  };
  void WorkerLoop();

  const int zlib_level_;
  const size_t window_;
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable job_done_;
  std::deque<std::unique_ptr<Job>> jobs_;  // in page order, owned here
  std::deque<Job*> queue_;                 // not yet picked up by a worker
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_COMPRESSOR_H_
