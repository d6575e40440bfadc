#include "pdf/page_geometry.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace quilnote {
namespace {

TEST(PageGeometryTest, RunsHoldAboutTheirTextAndAreCappedByPages) {
  struct Case {
    TPageStep step;
    uint64_t text_bytes, raw_lines, pages_per_run;
  } cases[] = {
      {{98, 97}, 8 << 20, 100000, 4},                   // about 8 KB a page
      {{98, 97}, 10 << 20, 100, 1},                     // pages larger than a run's text
      {{2, 1}, 2'000'000, 1'000'000, kMaxPagesPerRun},  // tiny pages: the page cap
      {{2, 1}, 400'000'000, 200'000'000, 4096},         // the run-start limit above the cap
  };
  for (const Case& c : cases) {
    const TRunPlan plan = PlanRuns(c.step, c.text_bytes + 1, c.text_bytes, c.raw_lines);
    EXPECT_EQ(plan.pages_per_run, c.pages_per_run) << c.text_bytes;
    EXPECT_EQ(plan.checkpoint_stride, c.step.lines * c.pages_per_run) << c.text_bytes;
    EXPECT_LT((c.text_bytes + 1) / c.step.lines / plan.pages_per_run, kMaxRunStarts);
  }
}

}  // namespace
}  // namespace quilnote
