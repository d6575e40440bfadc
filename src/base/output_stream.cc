#include "base/output_stream.h"

#include <new>
#include <utility>

#include "base/errors.h"

namespace quilnote {

namespace {

// Copies between streams move at most this many bytes at a time.
constexpr size_t kCopyBlockSize = 61440;

}  // namespace

void CopyToStream(TOutputStream& out, std::string_view bytes) {
  while (!bytes.empty()) {
    size_t block = bytes.size() < kCopyBlockSize ? bytes.size() : kCopyBlockSize;
    if (out.Write(bytes.data(), block) != block) throw EWriteError();
    bytes.remove_prefix(block);
  }
}

TFileStream::TFileStream(TFile file) : file_(std::move(file)) {
  buffer_.Reserve(kBufferSize);
}

TFileStream::~TFileStream() {
  if (!file_.IsOpen() || failed_) return;
  try {
    Flush();
  } catch (const Exception&) {
    // Already failing: the error that brought us here is the one reported.
  }
}

void TFileStream::WriteAll(const char* data, size_t n) {
  if (failed_) throw EWriteError();
  failed_ = true;  // until the whole write is known to be taken
  file_.WriteAll(data, n);
  failed_ = false;
  flushed_ += n;
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

std::span<char> TFileStream::Space(size_t at_least) {
  if (buffer_.capacity() - buffer_.size() < at_least) Flush();
  return {buffer_.data() + buffer_.size(), buffer_.capacity() - buffer_.size()};
}

void TFileStream::Close() {
  Flush();
  file_.Close();
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
    throw EStreamError();
  }
  return block_.data() + block_.size();
}

}  // namespace quilnote
