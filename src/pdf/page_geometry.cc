#include "pdf/page_geometry.h"

#include <algorithm>

#include "base/errors.h"
#include "base/int32_arith.h"

namespace quilnote {

TPageStep FindPageStep(const TPDFSettings& settings, uint64_t max_lines) {
  const int32_t height = Sub32(settings.PageHeight, Mul32(2, settings.VerticalMargin));
  for (uint64_t n = 1; n <= max_lines; ++n) {
    const int32_t extent = Add32(Mul32(Low32(n), settings.FontSize), settings.PageNumberReserve);
    if (extent >= height) return TPageStep{n, n - 1};
  }
  return TPageStep{0, max_lines};
}

TPagination Paginate(const TPageStep& step, uint64_t total_lines) {
  const bool paged = step.first_too_many != 0 && step.first_too_many <= total_lines;
  TPagination result{paged ? step.lines : total_lines, 1, total_lines};
  if (total_lines > 0) {
    if (result.lines_per_page == 0) throw EDivByZero();
    result.pages =
        total_lines / result.lines_per_page + (total_lines % result.lines_per_page != 0 ? 1 : 0);
  }
  return result;
}

TRunPlan PlanRuns(const TPageStep& step, uint64_t max_lines, uint64_t text_bytes,
                  uint64_t raw_lines) {
  if (step.lines == 0) return TRunPlan{1, 0};  // no line fits: there are no runs
  // Wrapping only adds lines, so the unwrapped count gives the fewest pages
  // and so the most text a page can hold.
  const uint64_t fewest_pages = std::max<uint64_t>(1, raw_lines / step.lines);
  const uint64_t page_bytes = std::max<uint64_t>(1, text_bytes / fewest_pages);
  uint64_t pages_per_run = std::clamp<uint64_t>(kRunTextBytes / page_bytes, 1, kMaxPagesPerRun);
  while (max_lines / step.lines / pages_per_run >= kMaxRunStarts) pages_per_run *= 2;
  return TRunPlan{pages_per_run, step.lines * pages_per_run};
}

}  // namespace quilnote
