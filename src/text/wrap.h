// Wrapping the lines that are too wide for the printable width.
#ifndef QUILNOTE_TEXT_WRAP_H_
#define QUILNOTE_TEXT_WRAP_H_

#include <cstdint>

#include "text/line_list.h"

namespace quilnote {

// The three page numbers wrapping depends on.
struct TWrapSettings {
  int32_t PageWidth;
  int32_t HorizontalMargin;
  int32_t FontSize;
};

// Writes the column count line "<n> 桁" to standard output and makes `lines`
// show its lines wrapped to the available width A = PageWidth - 2 x
// HorizontalMargin: a line at most A wide (by LineWidth) stays whole, a wider
// one is cut into pieces that never split a two-byte character.
// A `checkpoint_stride` other than 0 makes the list remember where every
// stride-th line starts (see TLineList::Wrap).
// Raises EDivByZero for FontSize 0 and EIntOverflow for the one column count
// division that overflows, both before anything is wrapped; EInOutError when
// standard output does not take the line.
void WrapLines(TLineList& lines, const TWrapSettings& settings, uint64_t checkpoint_stride = 0);

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_WRAP_H_
