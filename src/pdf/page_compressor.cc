#include "pdf/page_compressor.h"

#include <sched.h>

#include "pdf/deflater.h"

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

TPageCompressor::TPageCompressor(int zlib_level, unsigned workers, size_t window)
    : zlib_level_(zlib_level), window_(window) {
  threads_.reserve(workers);
  try {
    for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
  } catch (...) {
    // Could not start them all: stop those that run, then report.
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& t : threads_) t.join();
    throw;
  }
}

TPageCompressor::~TPageCompressor() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void TPageCompressor::Submit(TMemoryStream content) {
  auto job = std::make_unique<Job>();
  job->content = std::move(content);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(job.get());
    jobs_.push_back(std::move(job));
  }
  work_ready_.notify_one();
}

void TPageCompressor::SubmitFailure(std::exception_ptr error) {
  auto job = std::make_unique<Job>();
  job->error = error;
  job->done = true;
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_.push_back(std::move(job));
}

TMemoryStream TPageCompressor::TakeOldest() {
  std::unique_ptr<Job> job;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    job_done_.wait(lock, [this] { return jobs_.front()->done; });
    job = std::move(jobs_.front());
    jobs_.pop_front();
  }
  if (job->error) std::rethrow_exception(job->error);
  return std::move(job->result);
}

void TPageCompressor::WorkerLoop() {
  // One compressor per worker, reset between pages: creating and ending one
  // per page makes the allocator return its state to the kernel and fault
  // it in again each time.
  std::unique_ptr<TDeflater> deflater;
  for (;;) {
    Job* job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = queue_.front();
      queue_.pop_front();
    }
    try {
      if (!deflater) deflater = std::make_unique<TDeflater>(zlib_level_);
      job->result.Clear();
      deflater->Compress(job->content.view(), job->result);
    } catch (...) {
      job->error = std::current_exception();
      deflater.reset();  // its state is unknown after a failure
    }
    job->content = TMemoryStream();  // free the plain bytes early
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job->done = true;
    }
    job_done_.notify_all();
  }
}

}  // namespace quilnote
