#include "pdf/convert.h"

#include <exception>
#include <string_view>

#include "base/errors.h"
#include "base/messages.h"
#include "base/number_format.h"
#include "base/output_stream.h"
#include "base/platform.h"
#include "pdf/font_objects.h"
#include "pdf/object_writer.h"
#include "pdf/page_list.h"
#include "pdf/page_plan.h"
#include "pdf/pages.h"
#include "pdf/pdf_obj_mem_manager.h"
#include "pdf/xref.h"
#include "text/line_list.h"
#include "text/text_file.h"

namespace quilnote {

namespace {

struct TPaper {
  std::string_view code;
  int32_t width;
  int32_t height;
};

// The page tree's list of pages goes out in pieces of about this size.
constexpr size_t kKidsBatchBytes = size_t{1} << 16;

constexpr TPaper kPapers[] = {
    {"A4P", 595, 842}, {"A4L", 842, 595}, {"A3P", 842, 1191}, {"A3L", 1191, 842},
    {"B5P", 516, 729}, {"B5L", 729, 516}, {"B4P", 729, 1032}, {"B4L", 1032, 729},
};

// The catalog and the page tree, whose numbers were reserved first.
void WriteCatalogAndPageTree(TOutputStream& out, TObjectWriter& objects, uint64_t catalog,
                             uint64_t page_tree, const TPageList& page_list) {
  objects.OpenReserved(out, catalog);
  WriteStr(out, "<<\n/Type /Catalog\n/Pages " + FormatUInt(page_tree) + " 0 R\n>>\n");
  objects.Close(out);

  objects.OpenReserved(out, page_tree);
  WriteStr(out, "<<\n/Type /Pages\n/Kids [");
  std::string kids;
  for (uint64_t i = 0; i < page_list.Count(); ++i) {
    kids += ' ';
    kids += FormatUInt(page_list.Entry(i));
    kids += " 0 R";
    if (kids.size() >= kKidsBatchBytes) {
      WriteStr(out, kids);
      kids.clear();
    }
  }
  WriteStr(out, kids);
  WriteStr(out, " ]\n/Count " + FormatUInt(page_list.Count()) + "\n>>\n");
  objects.Close(out);
}

// The statistics lines on their way to standard output. A line that the
// stream does not take (its reader went away) is remembered and no further
// line is tried, so that the conversion still goes on to a whole PDF file;
// the failure is raised once the file is closed.
class TStatisticsLines : public TLineSink {
 public:
  explicit TStatisticsLines(TLineSink& sink) : sink_(sink) {}

  void WriteLine(const TConsoleText& line) override {
    if (failure_) return;
    try {
      sink_.WriteLine(line);
    } catch (const EInOutError&) {
      failure_ = std::current_exception();
    }
  }

  // Raises the failure remembered, if any.
  void RaiseFailure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  TLineSink& sink_;
  std::exception_ptr failure_;
};

}  // namespace

TPDFSettings MakeSettings(char compression_letter, char font_letter, char page_number_letter,
                          const std::string& paper_code, int32_t horizontal_margin,
                          int32_t vertical_margin, int32_t font_size) {
  TPDFSettings settings;
  settings.HorizontalMargin = horizontal_margin;
  settings.VerticalMargin = vertical_margin;
  settings.FontSize = font_size;
  settings.PageNumberReserve = page_number_letter == 'y' ? kPageNumberReserve : 0;
  switch (compression_letter) {
    case 'd': settings.CompressionLevel = 2; break;
    case 'f': settings.CompressionLevel = 1; break;
    case 'm': settings.CompressionLevel = 3; break;
    default: settings.CompressionLevel = 0; break;
  }
  for (const TPaper& paper : kPapers) {
    if (paper_code == paper.code) {
      settings.PageWidth = paper.width;
      settings.PageHeight = paper.height;
      break;
    }
  }
  switch (font_letter) {
    case 'g': settings.BaseFontName = "MS-Gothic"; break;
    case 'h': settings.BaseFontName = "HeiseiKakuGo-W5"; break;
    case 'i': settings.BaseFontName = "HeiseiMin-W3"; break;
    case 'm': settings.BaseFontName = "MS-Mincho"; break;
    default: break;
  }
  return settings;
}

TConversion ConvertTextFile(const std::string& text_file_name, const std::string& pdf_file_name,
                            char compression_letter, char font_letter, char page_number_letter,
                            const std::string& paper_code, int32_t horizontal_margin,
                            int32_t vertical_margin, int32_t font_size, TLineSink& statistics,
                            TOutputFile* pdf_file, TProgressSink* progress) {
  return ConvertTextFile(text_file_name, pdf_file_name,
                         MakeSettings(compression_letter, font_letter, page_number_letter,
                                      paper_code, horizontal_margin, vertical_margin, font_size),
                         statistics, pdf_file, progress);
}

TConversion ConvertTextFile(const std::string& text_file_name, const std::string& pdf_file_name,
                            const TPDFSettings& settings, TLineSink& statistics,
                            TOutputFile* pdf_file, TProgressSink* progress) {
  if (text_file_name.empty()) throw Exception(std::string(msg::kNoInputFileName));
  if (pdf_file_name.empty()) throw Exception(std::string(msg::kNoOutputFileName));

  TOutputFile opened_here;
  if (pdf_file == nullptr) {
    opened_here = TOutputFile::Open(pdf_file_name);
    pdf_file = &opened_here;
  }
  pdf_file->CheckWritable();
  TLineList text_lines;
  {
    TFile text_file = TFile::OpenForReading(text_file_name);
    LoadTextFile(text_lines, text_file);
    // Linked or moved onto one name since the names were compared.
    if (pdf_file->IsSameFileAs(text_file)) return TConversion::kSameFile;
  }
  // The file is closed last: a failure anywhere leaves it holding what was
  // written up to it. A statistics line that failed is the failure
  // reported, also when another one came after it.
  TStatisticsLines statistics_lines(statistics);
  try {
    TFileStream out(pdf_file->TakeForWriting());
    WriteDocument(out, settings, text_lines, statistics_lines, progress);
    out.Close();
  } catch (...) {
    statistics_lines.RaiseFailure();
    throw;
  }
  statistics_lines.RaiseFailure();
  return TConversion::kWritten;
}

void WriteDocument(TOutputStream& out, const TPDFSettings& settings, const TLineList& text_lines,
                   TLineSink& statistics, TProgressSink* progress) {
  TPageList page_list;
  TPDFObjMemManager table(1000, 1000);
  TObjectWriter objects(table);
  // The catalog and the page tree: numbered first, written last.
  const uint64_t catalog = objects.Reserve(1);
  const uint64_t page_tree = objects.Reserve(1);
  WriteStr(out, "%PDF-1.3\n");
  const uint64_t font = WriteFontObjects(out, objects, settings.BaseFontName);
  WritePages(out, objects, settings, TPagePlan{page_tree, font, objects.Next()}, text_lines,
             page_list, statistics, progress);
  WriteCatalogAndPageTree(out, objects, catalog, page_tree, page_list);
  WriteXrefAndTrailer(out, objects, catalog);
}

}  // namespace quilnote
