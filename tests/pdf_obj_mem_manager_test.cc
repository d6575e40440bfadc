#include "pdf/pdf_obj_mem_manager.h"

#include <gtest/gtest.h>

#include "base/errors.h"
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

TEST(ObjectTableTest, GrowsOnlyWhenCountReachesCapacityAndKeepsEntries) {
  TPDFObjMemManager table(3, 2);
  TMemoryStream out;
  for (int i = 0; i < 3; ++i) {
    WriteStr(out, "x");
    BeginObject(out, table);
    EndObject(out, table);
    EXPECT_EQ(table.Capacity(), i < 2 ? 3u : 5u) << i;
  }
  EXPECT_EQ(table.Count(), 3u);
  EXPECT_EQ(table.Offsets()[0], 1);
  EXPECT_EQ(table.Offsets()[1], 17);
  EXPECT_EQ(table.Offsets()[2], 33);
  EXPECT_EQ(out.view().substr(0, 17), "x1 0 obj\nendobj\nx");
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

TEST(WriteXrefTest, TwentyByteEntriesInObjectOrder) {
  // Entries 0 and 1 recorded last, as the catalog and the page tree are.
  TObjectOffsets offsets;
  offsets.Set(2, 9);
  offsets.Set(3, 9'999'999'999);
  offsets.Set(0, 959);
  offsets.Set(1, 1008);
  EXPECT_EQ(offsets[0], 959u);
  EXPECT_EQ(offsets[3], 9'999'999'999u);
  TMemoryStream out;
  WriteXref(out, offsets, 4);
  EXPECT_TRUE(test::BytesEqual(
      "xref\n0 5\n0000000000 65535 f \n0000000959 00000 n \n0000001008 00000 n \n"
      "0000000009 00000 n \n9999999999 00000 n \n",
      out.view()));
  TMemoryStream none;
  WriteXref(none, offsets, 0);
  EXPECT_EQ(none.view(), "xref\n0 1\n0000000000 65535 f \n");
}

}  // namespace
}  // namespace quilnote
