#include "pdf/pdf_obj_mem_manager.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "pdf/object_writer.h"
#include "pdf/xref.h"
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

// Each step writes into `out` (the file, or a run buffer `run` that goes
// into the file whole at Adopt); the table and the bytes are checked after
// all of them.
TEST(ObjectWriterTest, NumbersOffsetsReservedObjectsAndAdoptedRuns) {
  struct Case {
    const char* what;
    std::function<void(TMemoryStream&, TObjectWriter&, TPDFObjMemManager&)> steps;
    std::string bytes;
    uint64_t count;
    std::vector<uint64_t> offsets;  // entries 0 ... offsets.size() - 1
  } cases[] = {
      {"objects of the file", [](TMemoryStream& out, TObjectWriter& file, TPDFObjMemManager&) {
         WriteStr(out, "x");
         EXPECT_EQ(file.Open(out), 1u);
         file.Close(out);
         EXPECT_EQ(file.Open(out), 2u);
         file.Close(out);
       }, "x1 0 obj\nendobj\n2 0 obj\nendobj\n", 2, {1, 16}},
      {"reserved first, written last", [](TMemoryStream& out, TObjectWriter& file, TPDFObjMemManager&) {
         EXPECT_EQ(file.Reserve(2), 1u);
         EXPECT_EQ(file.Open(out), 3u);
         file.Close(out);
         file.OpenReserved(out, 2);
         file.Close(out);
         file.OpenReserved(out, 1);
         file.Close(out);
       }, "3 0 obj\nendobj\n2 0 obj\nendobj\n1 0 obj\nendobj\n", 3, {30, 15, 0}},
      {"a run adopted where it lands", [](TMemoryStream& out, TObjectWriter& file, TPDFObjMemManager& table) {
         file.Open(out);
         file.Close(out);
         TMemoryStream buffer;
         TObjectWriter run(2);
         EXPECT_EQ(run.Open(buffer), 2u);
         run.Close(buffer);
         EXPECT_EQ(run.Open(buffer), 3u);
         run.Close(buffer);
         run.Adopt(table, out.Position());
         WriteStr(out, buffer.view());
         EXPECT_EQ(file.Open(out), 4u);
         file.Close(out);
       }, "1 0 obj\nendobj\n2 0 obj\nendobj\n3 0 obj\nendobj\n4 0 obj\nendobj\n", 4,
       {0, 15, 30, 45}},
      {"a run that failed inside an object", [](TMemoryStream& out, TObjectWriter&, TPDFObjMemManager& table) {
         TMemoryStream buffer;
         TObjectWriter run(1);
         run.Open(buffer);
         run.Close(buffer);
         run.Open(buffer);
         EXPECT_EQ(run.Opened(), 2u);
         EXPECT_EQ(run.Closed(), 1u);
         run.Adopt(table, out.Position());
         WriteStr(out, buffer.view());
       }, "1 0 obj\nendobj\n2 0 obj\n", 1, {0, 15}},
  };
  for (const Case& c : cases) {
    TPDFObjMemManager table(1000, 1000);
    TObjectWriter file(table);
    TMemoryStream out;
    c.steps(out, file, table);
    EXPECT_TRUE(test::BytesEqual(c.bytes, out.view())) << c.what;
    EXPECT_EQ(table.Count(), c.count) << c.what;
    for (size_t i = 0; i < c.offsets.size(); ++i) {
      EXPECT_EQ(table.Offsets()[i], c.offsets[i]) << c.what << ", entry " << i;
    }
  }
  TPDFObjMemManager table(1000, 1000);
  EXPECT_THROW(TObjectWriter(2).Adopt(table, 0), std::logic_error) << "a run out of its place";
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
