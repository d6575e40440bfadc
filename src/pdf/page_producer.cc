#include "pdf/page_producer.h"

#include <sched.h>

#include "base/errors.h"
#include "pdf/deflater.h"
#include "pdf/page_content.h"

namespace quilnote {

unsigned UsableCpuCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 0 ? hardware : 1;
}

TPageProducer::TPageProducer(const TPDFSettings& settings, uint64_t lines_per_page,
                             uint64_t total_lines, unsigned workers, size_t window)
    : settings_(settings),
      lines_per_page_(lines_per_page),
      total_lines_(total_lines),
      window_(window) {
  // A thread that cannot be started (memory or process limits) leaves the
  // work to those that can; with none at all, TakeOldest makes each run on
  // the calling thread.
  try {
    threads_.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
  } catch (const std::exception&) {
  }
}

TPageProducer::~TPageProducer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void TPageProducer::Submit(uint64_t first_page, uint64_t pages, const TLineReader& reader) {
  auto run = std::make_unique<Run>(Run{first_page, pages, reader, {}, false});
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(run.get());
    runs_.push_back(std::move(run));
  }
  work_ready_.notify_one();
}

TPageRunResult TPageProducer::TakeOldest() {
  std::unique_ptr<Run> run;
  if (threads_.empty()) {
    run = std::move(runs_.front());
    runs_.pop_front();
    queue_.pop_front();
    std::unique_ptr<TDeflater> deflater;
    MakeRun(*run, deflater);
    return std::move(run->result);
  }
  {
    std::unique_lock<std::mutex> lock(mutex_);
    run_done_.wait(lock, [this] { return runs_.front()->done; });
    run = std::move(runs_.front());
    runs_.pop_front();
  }
  return std::move(run->result);
}

void TPageProducer::MakeRun(Run& run, std::unique_ptr<TDeflater>& deflater) {
  try {
    run.result.streams.reserve(run.pages);
    for (uint64_t p = run.first_page; p < run.first_page + run.pages; ++p) {
      uint64_t first_line = p * lines_per_page_;
      uint64_t count = total_lines_ - first_line < lines_per_page_ ? total_lines_ - first_line
                                                                   : lines_per_page_;
      TMemoryStream stream;
      TPageLines lines{run.reader, count};
      const int64_t number = static_cast<int64_t>(p + 1);
      if (settings_.CompressionLevel == 0) {
        WritePlainPageContent(stream, settings_, settings_.HorizontalMargin,
                              settings_.VerticalMargin, lines, settings_.PageNumberReserve, number);
      } else {
        if (!deflater) deflater = std::make_unique<TDeflater>(ZlibLevel(settings_.CompressionLevel));
        WriteCompressedPageContent(stream, settings_, settings_.HorizontalMargin,
                                   settings_.VerticalMargin, lines, settings_.PageNumberReserve,
                                   number, *deflater);
      }
      run.result.streams.push_back(std::move(stream));
    }
  } catch (const EStreamError&) {
    // Plain pages have no memory buffers of their own: running out of
    // memory while making one is the general out-of-memory error.
    run.result.error = settings_.CompressionLevel == 0
                            ? std::make_exception_ptr(EOutOfMemory(kOutOfMemoryMessage))
                            : std::current_exception();
    deflater.reset();
  } catch (...) {
    run.result.error = std::current_exception();
    deflater.reset();  // its state is unknown after a failure
  }
}

void TPageProducer::WorkerLoop() {
  // One compressor per worker, reset between pages: creating and ending one
  // per page makes the allocator hand its state back to the kernel and fault
  // it in again each time.
  std::unique_ptr<TDeflater> deflater;
  for (;;) {
    Run* run;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      run = queue_.front();
      queue_.pop_front();
    }
    MakeRun(*run, deflater);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      run->done = true;
    }
    run_done_.notify_all();
  }
}

}  // namespace quilnote
