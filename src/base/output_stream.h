// Byte streams the PDF is written to: the output file and memory buffers.
// Both take every write whole or raise an error: there are no short writes
// to check for, and Write's result is the byte count given.
#ifndef QUILNOTE_BASE_OUTPUT_STREAM_H_
#define QUILNOTE_BASE_OUTPUT_STREAM_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/byte_block.h"
#include "base/platform.h"

namespace quilnote {

class TOutputStream {
 public:
  virtual ~TOutputStream() = default;
  // Appends `n` bytes and returns how many were taken: all of them, or an
  // error is raised. A test double may take fewer.
  virtual size_t Write(const char* data, size_t n) = 0;
  // The byte offset from the start of the stream: the bytes written so far.
  virtual uint64_t Position() const = 0;

  // Room to write bytes in place at the end of the stream, at least
  // `at_least` of them (at most a few hundred are asked for), or an empty
  // span when the stream keeps no buffer of its own. Bytes put there count
  // once Advance says how many; the room is valid until the next call.
  virtual std::span<char> Space(size_t /*at_least*/) { return {}; }
  // Takes `n` bytes written into the room Space gave. REQUIRES: n fits it.
  virtual void Advance(size_t /*n*/) {}
};

// Appends `s` unchanged; writes nothing for an empty string. Does not look
// at how many bytes the stream took: a stream that cannot take a write
// reports it itself.
inline void WriteStr(TOutputStream& out, std::string_view s) {
  if (!s.empty()) out.Write(s.data(), s.size());
}

// Copies `bytes` to `out` in blocks, raising EWriteError "Stream write
// error" when a block is not taken whole.
void CopyToStream(TOutputStream& out, std::string_view bytes);

// A file written through a large buffer. Every write is taken whole or
// raises EWriteError "Stream write error" (disk full, file size limit, ...);
// nothing is ever silently dropped. Position() counts the buffered bytes.
class TFileStream : public TOutputStream {
 public:
  // The file is written in pieces of this size: the buffer every plain
  // page is encoded into, in place.
  static constexpr size_t kBufferSize = size_t{1} << 20;

  // Takes ownership of the open `file`. Raises std::bad_alloc when the
  // buffer cannot be had (the file is closed then).
  explicit TFileStream(TFile file);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  size_t Write(const char* data, size_t n) override;
  uint64_t Position() const override { return flushed_ + buffer_.size(); }
  std::span<char> Space(size_t at_least) override;
  void Advance(size_t n) override { buffer_.SetSize(buffer_.size() + n); }

  // Writes out what is buffered and closes the file; raises EWriteError when
  // either fails. The destructor does the same, silently, on error paths, so
  // that the bytes written before a failure stay in the file.
  void Close();

 private:
  void Flush();
  void WriteAll(const char* data, size_t n);

  TFile file_;
  bool failed_ = false;
  uint64_t flushed_ = 0;
  TByteBlock buffer_;
};

// A growable in-memory byte stream. A buffer that cannot grow raises
// EStreamError "Out of memory while expanding memory stream".
class TMemoryStream : public TOutputStream {
 public:
  size_t Write(const char* data, size_t n) override;
  uint64_t Position() const override { return block_.size(); }
  std::span<char> Space(size_t at_least) override {
    char* at = Extend(at_least);
    return {at, block_.capacity() - block_.size()};
  }
  void Advance(size_t n) override { Commit(n); }
  // Empties the stream, keeping its memory for the next use.
  void Clear() { block_.Clear(); }
  // Drops what was written after the first `size` bytes. REQUIRES: size <= Position().
  void Truncate(size_t size) { block_.SetSize(size); }

  std::string_view view() const { return block_.view(); }
  // Makes room for `extra` more bytes and returns where they go; the caller
  // then declares how many it used with Commit.
  char* Extend(size_t extra);
  void Commit(size_t used) { block_.SetSize(block_.size() + used); }

 private:
  TByteBlock block_;
};

}  // namespace quilnote

#endif  // QUILNOTE_BASE_OUTPUT_STREAM_H_
