#include "pdf/pdf_obj_mem_manager.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "pdf/object_writer.h"
#include "test_support.h"

namespace quilnote {
namespace {

TEST(ObjectTableTest, ZeroSizesAreRefused) {
  for (auto [capacity, delta] : {std::pair{0, 10}, std::pair{10, 0}, std::pair{0, 0}}) {
    try {
      TPDFObjMemManager table(static_cast<uint64_t>(capacity), static_cast<uint64_t>(delta));
      FAIL() << "created with " << capacity << ", " << delta;
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(std::string(e.what()), test::Sjis("初期サイズは0にはできません。"));
    }
  }
}

TEST(ObjectTableTest, GrowsOnlyWhenCountReachesCapacity) {
  TPDFObjMemManager table(3, 2);
  TObjectWriter objects(table);
  TMemoryStream out;
  for (int i = 0; i < 3; ++i) {
    objects.Open(out);
    objects.Close(out);
    EXPECT_EQ(table.Capacity(), i < 2 ? 3u : 5u) << i;
  }
  EXPECT_EQ(table.Count(), 3u);
}

TEST(ObjectTableTest, OffsetsPastTenDigitsAreRefused) {
  TPDFObjMemManager table(4, 4);
  table.RecordOffset(0, 9'999'999'999ull);
  EXPECT_EQ(table.Offsets()[0], 9'999'999'999);
  try {
    table.RecordOffset(1, 10'000'000'000ull);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.TypeName(), "Exception");
    EXPECT_EQ(std::string(e.what()), test::Sjis("出力ファイルが大きすぎます"));
  }
}

}  // namespace
}  // namespace quilnote
