// Whole documents: the driver, pagination and the cross-reference section.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "base/errors.h"
#include "pdf/convert.h"
#include "test_support.h"

namespace quilnote {
namespace {

using test::BytesEqual;
using test::Sjis;

struct Converted {
  std::string pdf;
  std::string out;
};

Converted Convert(const std::string& text, char compression = 'n', char page_numbers = 'n',
                  const std::string& paper = "A4P", int32_t h = 30, int32_t v = 30,
                  int32_t font = 8, char font_letter = 'h') {
  test::TempDir dir;
  test::WriteFile(dir.File("in.txt"), text);
  Converted result;
  test::TStringSink statistics;
  ConvertTextFile(dir.File("in.txt"), dir.File("out.pdf"), compression, font_letter, page_numbers,
                  paper, h, v, font, statistics);
  result.out = statistics.text;
  result.pdf = test::ReadFile(dir.File("out.pdf"));
  return result;
}

std::string Statistics(const std::string& columns, uint64_t lines, uint64_t per_page,
                       uint64_t pages) {
  return test::CrLfLines({Sjis(columns + " 桁"), Sjis(std::to_string(lines) + " 行"),
                          Sjis(std::to_string(per_page) + " 行/ページ"),
                          Sjis(std::to_string(pages) + " ページ")});
}

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

TEST(DocumentTest, WorkedExampleByteForByte) {
  Converted c = Convert("ABC\r\n\x82\xA0\x82\xA2\r\n");
  const std::string expected =
      "%PDF-1.3\n" + test::ExpectedFontObjects("HeiseiKakuGo-W5") +
      "6 0 obj\n<<\n/Type /Page\n/Parent 2 0 R\n/Resources\n<<\n/Font << /F0 3 0 R >>\n"
      "/ProcSet [ /PDF /Text ]\n>>\n/MediaBox [ 0 0 595 842 ]\n/Contents 7 0 R\n>>\nendobj\n"
      "7 0 obj\n<< /Length 8 0 R >>\nstream\n"
      "BT\n/F0 8 Tf\n0 0 0 rg 8 TL 30 805.04 Td <414243> Tj\nT* <82A082A2> Tj\nET\n"
      "\nendstream\nendobj\n"
      "8 0 obj\n71\nendobj\n"
      "1 0 obj\n<<\n/Type /Catalog\n/Pages 2 0 R\n>>\nendobj\n"
      "2 0 obj\n<<\n/Type /Pages\n/Kids [ 6 0 R ]\n/Count 1\n>>\nendobj\n"
      "xref\n0 9\n0000000000 65535 f \n"
      "0000000959 00000 n \n0000001008 00000 n \n0000000009 00000 n \n0000000143 00000 n \n"
      "0000000374 00000 n \n0000000665 00000 n \n0000000817 00000 n \n0000000941 00000 n \n"
      "trailer\n<<\n/Size 9\n/Root 1 0 R\n>>\nstartxref\n1067\n%%EOF";
  EXPECT_EQ(expected.size(), 1310u);
  EXPECT_TRUE(BytesEqual(expected, c.pdf));
  EXPECT_TRUE(BytesEqual(Statistics("132", 2, 2, 1), c.out));
}

TEST(DocumentTest, EmptyTextIsOnePageWithAnEmptyStream) {
  Converted plain = Convert("");
  EXPECT_TRUE(BytesEqual(Statistics("132", 0, 0, 1), plain.out));
  EXPECT_NE(
      plain.pdf.find("<< /Length 8 0 R >>\nstream\n\nendstream\nendobj\n8 0 obj\n0\nendobj\n"),
      std::string::npos);
  EXPECT_EQ(test::CheckXref(plain.pdf), "");

  Converted packed = Convert("", 'd');
  EXPECT_EQ(test::StreamOf(packed.pdf, 7), std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8));
  EXPECT_NE(packed.pdf.find("8 0 obj\n8\nendobj\n"), std::string::npos);
  EXPECT_EQ(test::CheckXref(packed.pdf), "");
}

TEST(DocumentTest, LinesAreSpreadOverPages) {
  struct Case {
    int lines;
    char page_numbers;
    uint64_t per_page, pages;
  } cases[] = {
      {200, 'n', 97, 3}, {200, 'y', 96, 3}, {194, 'n', 97, 2}, {97, 'n', 97, 1}, {98, 'n', 97, 2},
  };
  for (const Case& c : cases) {
    Converted conv = Convert(Lines(c.lines), 'n', c.page_numbers);
    EXPECT_TRUE(BytesEqual(Statistics("132", static_cast<uint64_t>(c.lines), c.per_page, c.pages),
                           conv.out));
    EXPECT_EQ(test::CheckXref(conv.pdf), "");
    // The last page holds the remaining lines, never none.
    uint64_t last = static_cast<uint64_t>(c.lines) - c.per_page * (c.pages - 1);
    std::string content = test::StreamOf(conv.pdf, static_cast<int>(3 * c.pages + 4));
    size_t shown = 0;
    for (size_t at = content.find(" Tj\n"); at != std::string::npos;
         at = content.find(" Tj\n", at + 1))
      ++shown;
    EXPECT_EQ(shown, last + (c.page_numbers == 'y' ? 1 : 0)) << c.lines;
  }
}

TEST(DocumentTest, FourHundredPagesListEveryObject) {
  Converted c = Convert(Lines(400 * 97), 'f');
  EXPECT_EQ(test::CheckXref(c.pdf), "");
  EXPECT_NE(c.pdf.find("xref\n0 1206\n"), std::string::npos);
  EXPECT_NE(c.pdf.find("/Count 400\n"), std::string::npos);
  EXPECT_NE(c.pdf.find("/Kids [ 6 0 R 9 0 R 12 0 R"), std::string::npos);
  EXPECT_NE(c.pdf.find(" 1203 0 R ]\n"), std::string::npos);
}

TEST(DocumentTest, CompressedStreamsMatchPlainOnesAndTheirLengths) {
  std::string text;
  for (int i = 0; i < 700; ++i)
    text += Sjis("見出しと本文の行 ") + std::to_string(i) +
            std::string(static_cast<size_t>(i % 200), 'z') + "\r\n";
  Converted plain = Convert(text, 'n', 'y');
  for (char letter : {'f', 'd', 'm'}) {
    Converted packed = Convert(text, letter, 'y');
    EXPECT_EQ(plain.out, packed.out);
    EXPECT_EQ(test::CheckXref(packed.pdf), "");
    for (int page = 1;; ++page) {
      std::string expected = test::StreamOf(plain.pdf, 3 * page + 4);
      if (expected.empty()) break;
      EXPECT_TRUE(BytesEqual(expected, test::Inflate(test::StreamOf(packed.pdf, 3 * page + 4))))
          << letter << " page " << page;
    }
  }
}

// Counts and checksums what is written, so that a long document needs no file.
class ChecksumStream : public TOutputStream {
 public:
  size_t Write(const char* data, size_t n) override {
    crc_ = crc32_z(crc_, reinterpret_cast<const Bytef*>(data), n);
    size_ += n;
    return n;
  }
  uint64_t Position() const override { return size_; }
  std::pair<uLong, uint64_t> Sum() const { return {crc_, size_}; }

 private:
  uLong crc_ = crc32_z(0, nullptr, 0);
  uint64_t size_ = 0;
};

// Every count a conversion tells, in order.
struct TProgressLog : TProgressSink {
  std::vector<std::pair<uint64_t, uint64_t>> told;
  void PagesWritten(uint64_t written, uint64_t total) noexcept override {
    told.emplace_back(written, total);
  }
};

TEST(DocumentTest, ProgressGoesFromNoPageToEveryPage) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += std::string(static_cast<size_t>(i % 200), 'w') + "\n";
  for (const char compression : {'n', 'd'}) {
    TLineList lines;
    lines.AssignText(text);
    ChecksumStream out;
    test::TStringSink statistics;
    TProgressLog progress;
    WriteDocument(out, MakeSettings(compression, 'h', 'n', "A4P", 30, 30, 8), lines, statistics,
                  &progress);
    // The last statistics line: "<pages> ページ" CR LF.
    const std::string& shown = statistics.text;
    const uint64_t pages = std::stoull(shown.substr(shown.rfind('\n', shown.size() - 3) + 1));
    ASSERT_GT(pages, 20u);
    ASSERT_FALSE(progress.told.empty());
    EXPECT_EQ(progress.told.front(), std::make_pair(uint64_t{0}, pages)) << compression;
    EXPECT_EQ(progress.told.back(), std::make_pair(pages, pages)) << compression;
    for (size_t i = 1; i < progress.told.size(); ++i) {
      EXPECT_GT(progress.told[i].first, progress.told[i - 1].first) << compression;
      EXPECT_EQ(progress.told[i].second, pages) << compression;
    }
  }
}

TEST(DocumentTest, NoLineFitsFailsBeforeAnyPage) {
  test::TempDir dir;
  test::WriteFile(dir.File("in.txt"), "a\n");
  test::TStringSink statistics;
  EXPECT_THROW(ConvertTextFile(dir.File("in.txt"), dir.File("out.pdf"), 'n', 'h', 'n', "A4P", 30,
                               500, 8, statistics),
               EDivByZero);
  EXPECT_TRUE(BytesEqual(Sjis("132 桁\r\n"), statistics.text));
  EXPECT_TRUE(BytesEqual("%PDF-1.3\n" + test::ExpectedFontObjects("HeiseiKakuGo-W5"),
                         test::ReadFile(dir.File("out.pdf"))));
}

TEST(DocumentTest, DriverChecksAndFileErrors) {
  test::TempDir dir;
  test::WriteFile(dir.File("in.txt"), "a\n");
  struct Case {
    std::string text_file, pdf_file, message;
  } cases[] = {
      {"", dir.File("o.pdf"), "入力ファイルがありません"},
      {dir.File("in.txt"), "", "出力ファイルがありません"},
  };
  test::TStringSink statistics;
  for (const Case& c : cases) {
    try {
      ConvertTextFile(c.text_file, c.pdf_file, 'n', 'h', 'n', "A4P", 30, 30, 8, statistics);
      FAIL() << "converted without a name";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.TypeName(), "Exception");
      EXPECT_TRUE(BytesEqual(Sjis(c.message), e.what()));
    }
  }
  EXPECT_THROW(ConvertTextFile(dir.File("missing.txt"), dir.File("o.pdf"), 'n', 'h', 'n', "A4P", 30,
                               30, 8, statistics),
               EFOpenError);
}

TEST(DocumentTest, SettingsFromLettersAndCodes) {
  TPDFSettings s = MakeSettings('m', 'g', 'y', "B4L", 1, 2, 3);
  EXPECT_EQ(s.CompressionLevel, 3);
  EXPECT_EQ(s.BaseFontName, "MS-Gothic");
  EXPECT_EQ(s.PageNumberReserve, 8);
  EXPECT_EQ(s.PageWidth, 1032);
  EXPECT_EQ(s.PageHeight, 729);
  TPDFSettings unknown = MakeSettings('x', 'x', 'n', "A5P", 1, 2, 3);
  EXPECT_EQ(unknown.CompressionLevel, 0);
  EXPECT_EQ(unknown.BaseFontName, "");
  EXPECT_EQ(unknown.PageWidth, 0);
  EXPECT_EQ(unknown.PageNumberReserve, 0);
}

}  // namespace
}  // namespace quilnote
