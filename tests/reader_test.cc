// Finished documents judged by real PDF tools: structure (qpdf), fonts
// (poppler), text extraction back to the input and rendering (MuPDF).
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pdf/convert.h"
#include "pdf/page_geometry.h"
#include "test_support.h"
#include "text/text_file.h"
#include "text/wrap.h"

namespace quilnote {
namespace {

using test::RunShell;
using test::ShellQuote;

// CP932 bytes to UTF-8, or nothing when iconv does not know them.
std::optional<std::string> Utf8(std::string_view sjis) {
  return test::Iconv("UTF-8", "CP932", sjis);
}

// Japanese text: sentences, then every double-byte character that iconv
// converts, row by row (the user-defined rows F0-F9 left out: readers
// cannot map them).
std::string JapaneseText() {
  std::string text = test::Sjis(
      "吾輩の机には古い辞書と新しい帳面が並んでいる。\r\n"
      "半角ｶﾀｶﾅと全角カタカナ、ASCII letters and digits 0123456789.\r\n"
      "\r\n"
      "長い行はページの幅で折り返される。長い行はページの幅で折り返される。長い行はページの幅で"
      "折り返される。長い行はページの幅で折り返される。\r\n"
      "記号の行：「」『』【】〒※→←↑↓♪\r\n");
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    if (lead >= 0xF0 && lead <= 0xF9) continue;
    std::string line;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
      if (!Utf8(ch)) continue;
      line += ch;
      if (line.size() >= 64) {
        text += line + "\r\n";
        line.clear();
      }
    }
    if (!line.empty()) text += line + "\r\n";
  }
  return text;
}

// Known differences between the reader's Adobe-Japan1 tables and CP932:
// what iconv gives on the left, what the reader shows on the right.
const std::map<std::string, std::string>& ReaderFolds() {
  static const std::map<std::string, std::string> folds = {
      {"\\", "¥"},  // 5C
      {"￣", "‾"},  // 8150
      {"∥", "‖"},   // 8161
      {"￠", "¢"},  // 8191
      {"￡", "£"},  // 8192
      {"￢", "¬"},  // 81CA, EEF9, FA54
      // NEC/IBM compatibility kanji come back as their unified forms.
      {"\uFA10", "\u585A"},      // ED80, FA9C 塚
      {"\u5BEC", "\u5BDB"},      // ED8E, FAAA 寬
      {"\u663B", "\u6602"},      // EDB4, FAD0 昻
      {"\uF929", "\u6717"},      // EDC4, FAE0 朗
      {"\uF9DC", "\u9686"},      // EECD, FBE9 隆
      {"\uFA15", "\U00020611"},  // EDF9, FB58 凞
  };
  return folds;
}

std::string Fold(std::string text) {
  for (const auto& [from, to] : ReaderFolds()) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

// Without ASCII blanks and U+3000: the extractor places blanks by position.
std::string NoBlanks(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') continue;
    if (text.compare(i, 3, "\xE3\x80\x80") == 0) {
      i += 2;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = NoBlanks(text.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

struct ReaderSetup {
  char compression;
  char page_numbers;
  const char* paper;
  char font_letter;
  int32_t font_size;
  const char* font_name;
};

std::string Name(const ReaderSetup& s) {
  return std::string("c") + s.compression + "_p" + s.page_numbers + "_" + s.paper + "_f" +
         s.font_letter + std::to_string(s.font_size);
}

void PrintTo(const ReaderSetup& s, std::ostream* out) {
  *out << Name(s);
}

class ReaderTest : public ::testing::TestWithParam<ReaderSetup> {};

TEST_P(ReaderTest, ToolsAcceptTheDocumentAndReadTheTextBack) {
  REQUIRE_TOOL("qpdf");
  REQUIRE_TOOL("mutool");
  REQUIRE_TOOL("pdffonts");
  const ReaderSetup& s = GetParam();
  test::TempDir dir;
  const std::string input = dir.File("in.txt");
  const std::string pdf = dir.File("out.pdf");
  test::WriteFile(input, JapaneseText());
  test::TStringSink statistics;
  ConvertTextFile(input, pdf, s.compression, s.font_letter, s.page_numbers, s.paper, 30, 30,
                  s.font_size, statistics);

  test::RunResult check = RunShell("qpdf --check " + ShellQuote(pdf));
  EXPECT_EQ(check.status, 0) << check.out << check.err;

  test::RunResult text = RunShell("mutool convert -F text -o /dev/null " + ShellQuote(pdf));
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.err, "");

  test::RunResult fonts = RunShell("pdffonts " + ShellQuote(pdf));
  EXPECT_EQ(fonts.status, 0);
  std::vector<std::string> font_lines = NonEmptyLines(fonts.out);
  ASSERT_EQ(font_lines.size(), 3u) << fonts.out;
  EXPECT_EQ(font_lines[2], std::string(s.font_name) + "CIDTrueType90ms-RKSJ-Hnonono30")
      << fonts.out;

  // The wrapped lines, page by page, as the program spreads them.
  TPDFSettings settings =
      MakeSettings(s.compression, s.font_letter, s.page_numbers, s.paper, 30, 30, s.font_size);
  TLineList text_lines;
  LoadTextFile(text_lines, input);
  const TWrappedLines wrapped = WrapLines(text_lines, settings.Wrap(), 0, statistics);
  std::vector<std::string_view> lines;
  TWrappedReader reader = wrapped.ReaderAt(0);
  for (std::string_view line; reader.Next(&line);) lines.push_back(line);
  const TPagination pagination =
      Paginate(FindPageStep(settings, text_lines.Text().size() + 1), wrapped.Count());
  const uint64_t per_page = pagination.lines_per_page;
  const uint64_t pages = pagination.pages;
  ASSERT_GE(pages, 2u);
  for (uint64_t page = 1; page <= pages; ++page) {
    std::string page_file = dir.File("page.txt");
    test::RunResult extract = RunShell("mutool convert -F text -o " + ShellQuote(page_file) + " " +
                                       ShellQuote(pdf) + " " + std::to_string(page));
    ASSERT_EQ(extract.status, 0) << extract.err;
    std::vector<std::string> expected;
    if (s.page_numbers == 'y') expected.push_back("-" + std::to_string(page) + "-");
    for (uint64_t i = (page - 1) * per_page; i < std::min<uint64_t>(lines.size(), page * per_page);
         ++i) {
      std::optional<std::string> utf8 = Utf8(lines[i]);
      ASSERT_TRUE(utf8.has_value()) << "line " << i;
      std::string line = NoBlanks(Fold(*utf8));
      if (!line.empty()) expected.push_back(line);
    }
    std::vector<std::string> got = NonEmptyLines(test::ReadFile(page_file));
    ASSERT_EQ(got.size(), expected.size()) << "page " << page;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i], expected[i]) << "page " << page << " line " << i;
    }
  }

  // Rendering: page 1 draws, and ink shows on it.
  std::string image = dir.File("page1.pgm");
  test::RunResult draw =
      RunShell("mutool draw -r 36 -o " + ShellQuote(image) + " " + ShellQuote(pdf) + " 1");
  EXPECT_EQ(draw.status, 0) << draw.err;
  std::string pixels = test::ReadFile(image);
  size_t dark = 0;
  for (size_t i = pixels.size() / 2; i < pixels.size(); ++i)
    dark += static_cast<unsigned char>(pixels[i]) < 128;
  EXPECT_GT(dark, 100u) << "page 1 rendered blank";
}

INSTANTIATE_TEST_SUITE_P(Setups, ReaderTest,
                         ::testing::Values(ReaderSetup{'n', 'y', "A4P", 'h', 8, "HeiseiKakuGo-W5"},
                                           ReaderSetup{'f', 'n', "B5L", 'i', 10, "HeiseiMin-W3"},
                                           ReaderSetup{'d', 'y', "A3P", 'm', 12, "MS-Mincho"},
                                           ReaderSetup{'m', 'y', "B4L", 'g', 9, "MS-Gothic"},
                                           ReaderSetup{'d', 'n', "A4L", 'h', 8, "HeiseiKakuGo-W5"}),
                         [](const ::testing::TestParamInfo<ReaderSetup>& param_info) {
                           return Name(param_info.param);
                         });

TEST(RenderingTest, PopplerDrawsTheSampleInItsJapaneseFont) {
  REQUIRE_TOOL("pdftoppm");
  test::TempDir dir;
  test::TStringSink statistics;
  ConvertTextFile(std::string(QUILNOTE_SOURCE_DIR) + "/samples/sample.txt", dir.File("s.pdf"), 'd',
                  'h', 'y', "A4P", 30, 30, 8, statistics);
  test::RunResult render =
      RunShell("pdftoppm -r 72 -gray -f 1 -l 1 " + ShellQuote(dir.File("s.pdf")) + " " +
               ShellQuote(dir.File("p")));
  EXPECT_EQ(render.status, 0) << render.err;
  std::string pixels = test::ReadFile(dir.File("p-1.pgm"));
  size_t dark = 0;
  for (size_t i = 20; i < pixels.size(); ++i) dark += static_cast<unsigned char>(pixels[i]) < 128;
  EXPECT_GT(dark, 100u) << "poppler drew a blank page: is poppler-data installed?";
}

}  // namespace
}  // namespace quilnote
