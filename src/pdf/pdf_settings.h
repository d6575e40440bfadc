// The settings of one conversion, filled once from the command line.
#ifndef QUILNOTE_PDF_PDF_SETTINGS_H_
#define QUILNOTE_PDF_PDF_SETTINGS_H_

#include <cstdint>
#include <string>

#include "text/wrap.h"

namespace quilnote {

// The points kept free at the foot of every page for its number, when page
// numbers are printed.
inline constexpr int32_t kPageNumberReserve = 8;

struct TPDFSettings {
  int32_t PageWidth = 0;          // points
  int32_t PageHeight = 0;         // points
  int32_t HorizontalMargin = 0;   // points: the x where every line starts
  int32_t VerticalMargin = 0;     // points
  int32_t FontSize = 0;           // points
  uint8_t CompressionLevel = 0;   // 0 none, 1 fastest, 2 default, 3 maximum
  std::string BaseFontName;       // the font face the PDF names
  int32_t PageNumberReserve = 0;  // kPageNumberReserve when page numbers are printed, else 0

  // What wrapping the lines needs of these.
  TWrapSettings Wrap() const { return {PageWidth, HorizontalMargin, FontSize}; }
  bool PageNumbers() const { return PageNumberReserve == kPageNumberReserve; }
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PDF_SETTINGS_H_
