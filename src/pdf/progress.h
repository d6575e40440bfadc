// How far a conversion has come, for a caller that shows it while the
// conversion runs (the browser page's progress bar).
#ifndef QUILNOTE_PDF_PROGRESS_H_
#define QUILNOTE_PDF_PROGRESS_H_

#include <cstdint>

namespace quilnote {

class TProgressSink {
 public:
  virtual ~TProgressSink() = default;
  // Told `written` of the document's `total` pages are in the file: once
  // with 0 when the page count is known, then as pages are written, the
  // last time with `written` == `total`. Raises nothing.
  virtual void PagesWritten(uint64_t written, uint64_t total) noexcept = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PROGRESS_H_
