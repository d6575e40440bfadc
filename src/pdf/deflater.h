// One zlib compressor, reusable for many streams.
#ifndef QUILNOTE_PDF_DEFLATER_H_
#define QUILNOTE_PDF_DEFLATER_H_

#include <cstdint>
#include <string_view>

#include <zlib.h>

#include "base/output_stream.h"

namespace quilnote {

// The zlib level for a compression level 1, 2 or 3: 1, default (-1), 9.
int ZlibLevel(uint8_t compression_level);

class TDeflater {
 public:
  // deflateInit2 with `zlib_level`, method 8, window bits 15, memory level 8
  // and the default strategy. Raises ECompressionError "Error".
  explicit TDeflater(int zlib_level);
  ~TDeflater();
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;

  // Appends the zlib stream of `input` to `result`. The compressor is reset
  // afterwards (deflateReset yields the bytes of a fresh compressor), so one
  // compressor serves many pages without reallocating its state.
  // Raises ECompressionError "Error" or EStreamError.
  void Compress(std::string_view input, TMemoryStream& result);

 private:
  z_stream stream_{};
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_DEFLATER_H_
