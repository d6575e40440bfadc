// One conversion of a text file into a PDF file.
#ifndef QUILNOTE_PDF_CONVERT_H_
#define QUILNOTE_PDF_CONVERT_H_

#include <cstdint>
#include <string>

#include "base/console.h"
#include "base/output_file.h"
#include "base/output_stream.h"
#include "pdf/pdf_settings.h"
#include "pdf/progress.h"
#include "text/line_list.h"

namespace quilnote {

// The settings for the command line's letters and numbers: compression 'd'
// 'f' 'm' 'n', font 'g' 'h' 'i' 'm', page numbers 'y', paper "A4P" and the
// like. Unknown letters and codes leave their fields at 0 or empty.
TPDFSettings MakeSettings(char compression_letter, char font_letter, char page_number_letter,
                          const std::string& paper_code, int32_t horizontal_margin,
                          int32_t vertical_margin, int32_t font_size);

// What became of a conversion.
enum class TConversion {
  kWritten,   // the PDF file holds the document (or what was written before a failure)
  kSameFile,  // the text file and the PDF file turned out to be one file: nothing written
};

// Converts `text_file_name` into the PDF file `pdf_file_name` with
// `settings`, writing the four statistics lines to `statistics` (standard
// output, for the program).
// The PDF file is `pdf_file` when given, opened already; otherwise it is
// opened here by name. The text is read whole before the PDF file is cut,
// so an existing PDF keeps every byte when the text cannot be opened or
// read; once writing has begun, a failure leaves what was written. A
// statistics line that `statistics` does not take (EInOutError) ends no
// conversion: the document is written whole and closed, and then that
// error is raised. Pages written are told to `progress`, when given.
// Raises Exception for an empty name, EFCreateError / EFOpenError when a
// file cannot be created / opened, and whatever reading and writing raise.
TConversion ConvertTextFile(const std::string& text_file_name, const std::string& pdf_file_name,
                            const TPDFSettings& settings, TLineSink& statistics,
                            TOutputFile* pdf_file = nullptr, TProgressSink* progress = nullptr);
// The same with the settings MakeSettings makes of the letters and numbers.
TConversion ConvertTextFile(const std::string& text_file_name, const std::string& pdf_file_name,
                            char compression_letter, char font_letter, char page_number_letter,
                            const std::string& paper_code, int32_t horizontal_margin,
                            int32_t vertical_margin, int32_t font_size, TLineSink& statistics,
                            TOutputFile* pdf_file = nullptr, TProgressSink* progress = nullptr);

// Writes the whole document for the lines of `text_lines` to `out`: header,
// font, pages, catalog, page tree, cross-reference section and trailer,
// writing the statistics lines to `statistics` and telling pages written to
// `progress`, when given.
void WriteDocument(TOutputStream& out, const TPDFSettings& settings, const TLineList& text_lines,
                   TLineSink& statistics, TProgressSink* progress = nullptr);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_CONVERT_H_
