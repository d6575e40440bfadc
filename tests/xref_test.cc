#include "pdf/xref.h"

#include <gtest/gtest.h>

#include "base/output_stream.h"
#include "pdf/object_offsets.h"
#include "test_support.h"

namespace quilnote {
namespace {

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
  EXPECT_TRUE(
      test::BytesEqual("xref\n0 5\n0000000000 65535 f \n0000000959 00000 n \n0000001008 00000 n \n"
                       "0000000009 00000 n \n9999999999 00000 n \n",
                       out.view()));
  TMemoryStream none;
  WriteXref(none, offsets, 0);
  EXPECT_EQ(none.view(), "xref\n0 1\n0000000000 65535 f \n");
}

}  // namespace
}  // namespace quilnote
