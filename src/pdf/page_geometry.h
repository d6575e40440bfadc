// How the wrapped lines are spread over pages, and how compressed pages
// are grouped into runs that can be made in parallel.
#ifndef QUILNOTE_PDF_PAGE_GEOMETRY_H_
#define QUILNOTE_PDF_PAGE_GEOMETRY_H_

#include <algorithm>
#include <cstdint>

#include "pdf/pdf_settings.h"

namespace quilnote {

// The lines on a full page, found before the lines are counted. A page
// holds n lines while n x FontSize + PageNumberReserve stays below the
// printable height H = PageHeight - 2 x VerticalMargin (32-bit two's
// complement throughout).
struct TPageStep {
  // The first n, from 1 up to the bound searched, that no longer fits; 0
  // when every n up to the bound fits.
  uint64_t first_too_many;
  // first_too_many - 1: the lines on every page but the last.
  uint64_t lines;
};

// Searches n = 1 ... max_lines. max_lines must be at least the number of
// lines the text can have.
TPageStep FindPageStep(const TPDFSettings& settings, uint64_t max_lines);

// How `total_lines` wrapped lines are spread over pages.
struct TPagination {
  uint64_t lines_per_page;
  uint64_t pages;
  uint64_t total_lines;

  // The lines on page `page` (0-based): a full page's, the rest on the last.
  // REQUIRES: page < pages.
  uint64_t LinesOn(uint64_t page) const {
    return std::min(lines_per_page, total_lines - page * lines_per_page);
  }
};

// The rule that ties the step to the count: with `total_lines` lines, a
// page holds step.lines of them when that many lines do not all fit on one
// page (first_too_many is from 1 to total_lines), otherwise all of them on
// the one page. There are ceil(total_lines / lines per page) pages, and one
// for no lines.
// Raises EDivByZero "Division by zero" when there are lines but not even
// one fits a page.
TPagination Paginate(const TPageStep& step, uint64_t total_lines);

// Compressed pages are made in runs of consecutive pages, each starting at
// a text position remembered while the lines are counted. A run holds
// about kRunTextBytes of text, so that handing it to a worker costs little
// beside compressing it, but at most kMaxPagesPerRun pages, so that tiny
// pages cannot make a run without bound; and at most kMaxRunStarts
// positions are remembered, whatever the number of pages.
inline constexpr uint64_t kRunTextBytes = 32 << 10;
inline constexpr uint64_t kMaxPagesPerRun = 256;
inline constexpr uint64_t kMaxRunStarts = 1 << 17;

struct TRunPlan {
  uint64_t pages_per_run;
  // Every this many wrapped lines a run starts (0: no run starts needed).
  uint64_t checkpoint_stride;
};

// The runs for a text of `text_bytes` bytes in `raw_lines` lines before
// wrapping (so at most `max_lines` after), paged by `step`.
TRunPlan PlanRuns(const TPageStep& step, uint64_t max_lines, uint64_t text_bytes,
                  uint64_t raw_lines);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_GEOMETRY_H_
