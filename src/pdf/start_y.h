// The baseline of a page's first line.
#ifndef QUILNOTE_PDF_START_Y_H_
#define QUILNOTE_PDF_START_Y_H_

#include <cstdint>

namespace quilnote {

// The baseline of a page's first line, computed as an x87 FPU would (precision
// control at a 64-bit significand, round to nearest, ties to even):
//   top = page_height - vertical_margin, in wrapping 32-bit arithmetic (exact);
//   P   = font_size x 0.87, with 0.87 and the product each rounded to a 64-bit
//         significand;
//   D   = top - P, rounded to a 64-bit significand (an exact zero is +0);
// and D rounded once, straight to single precision.
// The arithmetic is done in integers, so every platform gets the same float.
float StartY(int32_t page_height, int32_t vertical_margin, int32_t font_size);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_START_Y_H_
