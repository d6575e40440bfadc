#include "pdf/page_producer.h"

#include <stdexcept>
#include <utility>

#include "pdf/page_content.h"
#include "pdf/page_plan.h"

namespace quilnote {

TPageProducer::TPageProducer(const TPageSetup& setup, unsigned workers, size_t max_in_flight)
    : setup_(setup), max_in_flight_(max_in_flight) {
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

TPageRun TPageProducer::TakeOldest() {
  if (threads_.empty()) {
    // No workers: the oldest run is the first task still queued.
    TTask task = std::move(queue_.front());
    queue_.pop_front();
    task(own_deflater_);
  }
  std::future<TPageRun> oldest = std::move(results_.front());
  results_.pop_front();
  return oldest.get();
}

void TPageProducer::Recycle(TPageRun run) {
  run.bytes.Clear();
  std::lock_guard<std::mutex> lock(mutex_);
  spare_.push_back(std::move(run));
}

TPageRun TPageProducer::MakeRun(uint64_t first_page, uint64_t pages, TWrappedReader reader,
                                std::unique_ptr<TDeflater>& deflater) {
  TPageRun run;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!spare_.empty()) {
      run = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  const TPDFSettings& settings = setup_.settings;
  TRunObjectWriter objects(page_plan::PageObjectNumber(setup_.plan.first_page, first_page));
  size_t content_start = 0;
  try {
    for (uint64_t page = first_page; page < first_page + pages; ++page) {
      const TPageLines lines{reader, setup_.pagination.LinesOn(page)};
      if (!deflater) deflater = std::make_unique<TDeflater>(ZlibLevel(settings.CompressionLevel));
      content_start = 0;
      WritePageObjects(run.bytes, objects, setup_, [&] {
        content_start = run.bytes.view().size();
        WriteCompressedPageContent(run.bytes, settings, lines, static_cast<int64_t>(page + 1),
                                   *deflater);
      });
    }
  } catch (...) {
    run.error = std::current_exception();
    deflater.reset();
    // A content stream that failed while being copied in leaves nothing of
    // itself: the buffer ends with "stream\n", as for a page that fails
    // before its content.
    const bool in_content =
        objects.Opened() % page_plan::kObjectsPerPage == page_plan::kContentObject + 1;
    if (in_content && content_start > 0) run.bytes.Truncate(content_start);
  }
  run.objects = std::move(objects);
  return run;
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
