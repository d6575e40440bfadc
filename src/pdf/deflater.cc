#include "pdf/deflater.h"

#include <algorithm>
#include <climits>

#include "base/errors.h"

namespace quilnote {

namespace {

constexpr int kLevelTable[4] = {0, 1, Z_DEFAULT_COMPRESSION, 9};

// zlib counts in 32-bit unsigned; larger inputs go in several calls.
constexpr size_t kMaxZlibSpan = 1u << 30;

}  // namespace

int ZlibLevel(uint8_t compression_level) {
  return kLevelTable[std::min<uint8_t>(compression_level, 3)];
}

TDeflater::TDeflater(int zlib_level) {
  if (deflateInit2(&stream_, zlib_level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw ECompressionError();
  }
}

TDeflater::~TDeflater() {
  deflateEnd(&stream_);
}

void TDeflater::Compress(std::string_view input, TMemoryStream& result) {
  // Given all input at once, deflate makes the same bytes as when fed in
  // blocks without flushing: it waits for enough lookahead either way.
  stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  size_t in_left = input.size();
  for (;;) {
    size_t in_span = std::min(in_left, kMaxZlibSpan);
    stream_.avail_in = static_cast<uInt>(in_span);
    int flush = in_span == in_left ? Z_FINISH : Z_NO_FLUSH;
    uLong bound = deflateBound(&stream_, stream_.avail_in);
    size_t out_span = std::min<size_t>(bound, kMaxZlibSpan);
    stream_.next_out = reinterpret_cast<Bytef*>(result.Extend(out_span));
    stream_.avail_out = static_cast<uInt>(out_span);
    int status = deflate(&stream_, flush);
    if (status < 0 && status != Z_BUF_ERROR) throw ECompressionError();
    result.Commit(out_span - stream_.avail_out);
    size_t consumed = in_span - stream_.avail_in;
    in_left -= consumed;
    if (status == Z_STREAM_END) break;
  }
  if (deflateReset(&stream_) != Z_OK) throw ECompressionError();
}

}  // namespace quilnote
