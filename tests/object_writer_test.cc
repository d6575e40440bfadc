#include "pdf/object_writer.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/output_stream.h"
#include "pdf/pdf_obj_mem_manager.h"
#include "test_support.h"

namespace quilnote {
namespace {

// Each step writes into `out` (the file, or a run buffer `run` that goes
// into the file whole when the file's writer adopts it); the table and the
// bytes are checked after all of them.
TEST(ObjectWriterTest, NumbersOffsetsReservedObjectsAndAdoptedRuns) {
  struct Case {
    const char* what;
    std::function<void(TMemoryStream&, TObjectWriter&)> steps;
    std::string bytes;
    uint64_t count;
    std::vector<uint64_t> offsets;  // entries 0 ... offsets.size() - 1
  } cases[] = {
      {"objects of the file",
       [](TMemoryStream& out, TObjectWriter& file) {
         WriteStr(out, "x");
         EXPECT_EQ(file.Open(out), 1u);
         file.Close(out);
         EXPECT_EQ(file.Open(out), 2u);
         file.Close(out);
       },
       "x1 0 obj\nendobj\n2 0 obj\nendobj\n",
       2,
       {1, 16}},
      {"reserved first, written last",
       [](TMemoryStream& out, TObjectWriter& file) {
         EXPECT_EQ(file.Reserve(2), 1u);
         EXPECT_EQ(file.Open(out), 3u);
         file.Close(out);
         file.OpenReserved(out, 2);
         file.Close(out);
         file.OpenReserved(out, 1);
         file.Close(out);
       },
       "3 0 obj\nendobj\n2 0 obj\nendobj\n1 0 obj\nendobj\n",
       3,
       {30, 15, 0}},
      {"a run adopted where it lands",
       [](TMemoryStream& out, TObjectWriter& file) {
         file.Open(out);
         file.Close(out);
         TMemoryStream buffer;
         TRunObjectWriter run(2);
         EXPECT_EQ(run.Open(buffer), 2u);
         run.Close(buffer);
         EXPECT_EQ(run.Open(buffer), 3u);
         run.Close(buffer);
         file.Adopt(run, out.Position());
         WriteStr(out, buffer.view());
         EXPECT_EQ(file.Open(out), 4u);
         file.Close(out);
       },
       "1 0 obj\nendobj\n2 0 obj\nendobj\n3 0 obj\nendobj\n4 0 obj\nendobj\n",
       4,
       {0, 15, 30, 45}},
      {"a run that failed inside an object",
       [](TMemoryStream& out, TObjectWriter& file) {
         TMemoryStream buffer;
         TRunObjectWriter run(1);
         run.Open(buffer);
         run.Close(buffer);
         run.Open(buffer);
         EXPECT_EQ(run.Opened(), 2u);
         EXPECT_EQ(run.Closed(), 1u);
         file.Adopt(run, out.Position());
         WriteStr(out, buffer.view());
       },
       "1 0 obj\nendobj\n2 0 obj\n",
       1,
       {0, 15}},
  };
  for (const Case& c : cases) {
    TPDFObjMemManager table(1000, 1000);
    TObjectWriter file(table);
    TMemoryStream out;
    c.steps(out, file);
    EXPECT_TRUE(test::BytesEqual(c.bytes, out.view())) << c.what;
    EXPECT_EQ(table.Count(), c.count) << c.what;
    for (size_t i = 0; i < c.offsets.size(); ++i) {
      EXPECT_EQ(table.Offsets()[i], c.offsets[i]) << c.what << ", entry " << i;
    }
  }
  TPDFObjMemManager table(1000, 1000);
  TObjectWriter file(table);
  EXPECT_THROW(file.Adopt(TRunObjectWriter(2), 0), std::logic_error) << "a run out of its place";
}

}  // namespace
}  // namespace quilnote
