#include "pdf/page_producer.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "pdf/convert.h"
#include "pdf/page_geometry.h"
#include "test_support.h"
#include "text/line_list.h"
#include "text/wrap.h"

namespace quilnote {
namespace {

using test::Sjis;

// The pages made by a producer with `workers` threads (none: each run is
// made on this thread when taken), `pages_per_run` pages a run and two
// runs in flight, so that runs are taken and recycled while others are
// being made.
std::string MadePages(const TPageSetup& setup, const TWrappedLines& wrapped, unsigned workers,
                      uint64_t pages_per_run) {
  const TPagination& pagination = setup.pagination;
  TPageProducer producer(setup, workers, 2);
  std::string made;
  auto take = [&] {
    TPageRun run = producer.TakeOldest();
    EXPECT_FALSE(run.error);
    made += run.bytes.view();
    producer.Recycle(std::move(run));
  };
  for (uint64_t page = 0; page < pagination.pages; page += pages_per_run) {
    if (producer.Full()) take();
    producer.Submit(page, std::min(pages_per_run, pagination.pages - page),
                    wrapped.ReaderAt(page * pagination.lines_per_page));
  }
  while (!producer.Empty()) take();
  return made;
}

TEST(PageProducerTest, WorkersAndRunsMakeTheBytesOfOnePageAfterAnother) {
  std::string text;
  for (int i = 0; i < 2000; ++i) {
    text +=
        Sjis("行の") + std::to_string(i) + std::string(static_cast<size_t>(i % 300), 'w') + "\n";
  }
  // One line a page (at a vertical margin of 411): runs of many pages.
  std::string tiny;
  for (int i = 0; i < 3000; ++i) tiny += static_cast<char>('a' + i % 26) + std::string("\n");
  struct Case {
    char level;
    int32_t vertical_margin;
    const std::string& text;
  } cases[] = {{'f', 30, text}, {'d', 30, text}, {'m', 30, text}, {'f', 411, tiny}};
  for (const Case& c : cases) {
    TLineList lines;
    lines.AssignText(c.text);
    const uint64_t max_lines = lines.Text().size() + 1;
    const TPDFSettings settings = MakeSettings(c.level, 'h', 'y', "A4P", 30, c.vertical_margin, 8);
    const TPageStep step = FindPageStep(settings, max_lines);
    const uint64_t pages_per_run =
        PlanRuns(step, max_lines, lines.Text().size(), lines.Count()).pages_per_run;
    // Every page's start remembered, so that a run may start at any page.
    test::TStringSink statistics;
    const TWrappedLines wrapped = WrapLines(lines, settings.Wrap(), step.lines, statistics);
    const TPageSetup setup{settings, Paginate(step, wrapped.Count()), TPagePlan{2, 3, 6}};
    ASSERT_GT(pages_per_run, 1u) << c.level;
    ASSERT_GT(setup.pagination.pages, 2 * pages_per_run) << c.level;

    const std::string page_by_page = MadePages(setup, wrapped, 0, 1);
    EXPECT_GT(page_by_page.size(), 1000u);
    for (unsigned workers : {0u, 3u}) {
      for (uint64_t per_run : {uint64_t{1}, pages_per_run}) {
        if (workers == 0 && per_run == 1) continue;
        EXPECT_TRUE(test::BytesEqual(page_by_page, MadePages(setup, wrapped, workers, per_run)))
            << c.level << " margin " << c.vertical_margin << ": " << workers << " workers, "
            << per_run << " pages a run";
      }
    }
  }
}

}  // namespace
}  // namespace quilnote
