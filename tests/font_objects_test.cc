#include "pdf/font_objects.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace quilnote {
namespace {

TEST(FontObjectsTest, EveryFaceByteForByte) {
  for (std::string name : {"HeiseiKakuGo-W5", "HeiseiMin-W3", "MS-Mincho", "MS-Gothic", ""}) {
    TMemoryStream out;
    WriteStr(out, "%PDF-1.3\n");
    TPDFObjMemManager table(1000, 1000);
    TObjectWriter objects(table);
    objects.Reserve(2);
    EXPECT_EQ(WriteFontObjects(out, objects, name), 3u);
    EXPECT_TRUE(test::BytesEqual("%PDF-1.3\n" + test::ExpectedFontObjects(name), out.view()))
        << name;
    EXPECT_EQ(table.Count(), 5u);
    if (name == "HeiseiKakuGo-W5") {
      EXPECT_EQ(table.Offsets()[2], 9);
      EXPECT_EQ(table.Offsets()[3], 143);
      EXPECT_EQ(table.Offsets()[4], 374);
      EXPECT_EQ(out.view().size(), 665u);
    }
  }
}

}  // namespace
}  // namespace quilnote
