#include "pdf/page_producer.h"

#include <stdexcept>
#include <utility>

#include "base/errors.h"
#include "pdf/page_content.h"

namespace quilnote {

TPageProducer::TPageProducer(const TPDFSettings& settings, TPagination pagination,
                             uint64_t total_lines, unsigned workers, size_t max_in_flight)
    : settings_(settings),
      pagination_(pagination),
      total_lines_(total_lines),
      max_in_flight_(max_in_flight) {
  try {
    threads_.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
  } catch (const std::exception&) {
    // Fewer workers, or none: see the constructor's contract.
  }
}

TPageProducer::~TPageProducer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void TPageProducer::Submit(uint64_t first_page, uint64_t pages, const TWrappedReader& reader) {
  if (Full()) throw std::logic_error("more page runs in flight than allowed");
  TTask task([this, first_page, pages, reader](std::unique_ptr<TDeflater>& deflater) {
    return MakeRun(first_page, pages, reader, deflater);
  });
  results_.push_back(task.get_future());
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(task));
  }
  work_ready_.notify_one();
}

TPageRunResult TPageProducer::TakeOldest() {
  if (threads_.empty()) {
    // No workers: the oldest run is the first task still queued.
    TTask task = std::move(queue_.front());
    queue_.pop_front();
    task(own_deflater_);
  }
  std::future<TPageRunResult> oldest = std::move(results_.front());
  results_.pop_front();
  return oldest.get();
}

TPageRunResult TPageProducer::MakeRun(uint64_t first_page, uint64_t pages,
                                      TWrappedReader reader,
                                      std::unique_ptr<TDeflater>& deflater) const {
  TPageRunResult result;
  try {
    result.streams.reserve(pages);
    for (uint64_t page = first_page; page < first_page + pages; ++page) {
      const uint64_t first_line = page * pagination_.lines_per_page;
      const uint64_t left = total_lines_ - first_line;
      const uint64_t count = left < pagination_.lines_per_page ? left : pagination_.lines_per_page;
      if (!deflater) deflater = std::make_unique<TDeflater>(ZlibLevel(settings_.CompressionLevel));
      TMemoryStream stream;
      WriteCompressedPageContent(stream, settings_, settings_.HorizontalMargin,
                                 settings_.VerticalMargin, TPageLines{reader, count},
                                 settings_.PageNumberReserve, static_cast<int64_t>(page + 1),
                                 *deflater);
      result.streams.push_back(std::move(stream));
    }
  } catch (...) {
    result.error = std::current_exception();
    deflater.reset();
  }
  return result;
}

void TPageProducer::WorkerLoop() {
  // One compressor per worker, reset between pages: creating and ending one
  // per page makes the allocator hand its state back to the kernel and fault
  // it in again each time.
  std::unique_ptr<TDeflater> deflater;
  for (;;) {
    TTask task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task(deflater);
  }
}

}  // namespace quilnote
