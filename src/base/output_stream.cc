#include "base/output_stream.h"

#include <cerrno>
#include <new>
#include <unistd.h>

#include "base/errors.h"

namespace quilnote {

namespace {

constexpr size_t kFileBufferSize = 1 << 20;

}  // namespace

TFileStream::TFileStream(int fd) : fd_(fd) {
  try {
    buffer_.Reserve(kFileBufferSize);
  } catch (...) {
    ::close(fd_);  // the destructor does not run for a constructor that throws
    throw;
  }
}

TFileStream::~TFileStream() {
  if (fd_ < 0) return;
  if (!failed_) {
    try {
      Flush();
    } catch (const Exception&) {
      // Already failing: the error that brought us here is the one reported.
    }
  }
  ::close(fd_);
}

void TFileStream::WriteAll(const char* data, size_t n) {
  if (failed_) throw EWriteError(kWriteErrorMessage);
  while (n > 0) {
    ssize_t written = ::write(fd_, data, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
      throw EWriteError(kWriteErrorMessage);
    }
    data += written;
    n -= static_cast<size_t>(written);
    flushed_ += static_cast<uint64_t>(written);
  }
}

void TFileStream::Flush() {
  size_t n = buffer_.size();
  buffer_.Clear();  // the bytes stay in place while WriteAll reads them
  WriteAll(buffer_.data(), n);
}

size_t TFileStream::Write(const char* data, size_t n) {
  if (buffer_.capacity() - buffer_.size() >= n) {
    buffer_.Append(data, n);
    return n;
  }
  Flush();
  if (n >= buffer_.capacity()) {
    WriteAll(data, n);
  } else {
    buffer_.Append(data, n);
  }
  return n;
}

void TFileStream::Close() {
  Flush();
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) throw EWriteError(kWriteErrorMessage);
}

size_t TMemoryStream::Write(const char* data, size_t n) {
  if (n == 0) return 0;
  std::memcpy(Extend(n), data, n);
  Commit(n);
  return n;
}

char* TMemoryStream::Extend(size_t extra) {
  try {
    block_.ReserveExtra(extra);
  } catch (const std::bad_alloc&) {
    throw EStreamError("Out of memory while expanding memory stream");
  }
  return block_.data() + block_.size();
}

}  // namespace quilnote
