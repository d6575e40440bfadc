// Wrapping the lines that are too wide for the printable width.
//
// A line's printed width is guessed from its byte count alone: every byte
// is a half-width glyph, so a two-byte Shift-JIS character counts as a
// full-width one. No font metrics are used. A line at most as wide as the
// available width A stays whole; a wider one is cut into pieces that never
// split a two-byte character.
//
// The wrapped lines are a view over the line list: each piece is a slice
// of the line it comes from, computed while reading, so wrapping copies
// nothing.
#ifndef QUILNOTE_TEXT_WRAP_H_
#define QUILNOTE_TEXT_WRAP_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/console.h"
#include "base/int32_arith.h"
#include "text/line_list.h"

namespace quilnote {

// The page numbers wrapping depends on.
struct TWrapSettings {
  int32_t PageWidth;
  int32_t HorizontalMargin;
  int32_t FontSize;

  // A = PageWidth - 2 x HorizontalMargin, in 32-bit two's complement.
  int32_t Available() const { return Sub32(PageWidth, Mul32(2, HorizontalMargin)); }
};

// Byte count times (font size div 2), in 32-bit two's complement.
constexpr int32_t LineWidth(uint64_t byte_count, int32_t font_size) {
  return Mul32(Low32(byte_count), font_size / 2);
}

// The length of the first piece cut from the non-empty `rest` of a line too
// wide for `available` points. Characters are appended one at a time (a lead
// byte takes the next byte along, whatever it is); the piece closes as soon
// as its width exceeds available - font_size after a two-byte character, or
// available - font_size div 2 after a single byte. So a piece ending in a
// single byte is never wider than A, and a two-byte character is never split.
size_t PieceLength(std::string_view rest, int32_t available, int32_t font_size);

// Reads the wrapped lines in order: whole lines and the pieces of cut ones.
// Cheap to copy, like TLineReader.
class TWrappedReader {
 public:
  TWrappedReader(const TLineList& lines, const TWrapSettings& settings);

  // The next line or piece, or false at the end.
  bool Next(std::string_view* line);

  // Where reading stands, packed in 8 bytes: the text offset of what is
  // read next, and whether that is the rest of a line being cut.
  uint64_t Mark() const;
  // A reader of the same lines continuing at `mark`.
  TWrappedReader AtMark(uint64_t mark) const;

  // The text offset of what is read next.
  size_t Position() const;

 private:
  TLineReader raw_;
  int32_t available_;
  int32_t font_size_;
  std::string_view rest_;  // what remains of a line being cut into pieces
};

// The wrapped form of a line list. The list must outlive it and not change.
class TWrappedLines {
 public:
  // The number of wrapped lines.
  uint64_t Count() const { return count_; }

  // A reader positioned before wrapped line `index`: at a remembered
  // checkpoint when there is one there, otherwise reached by reading on
  // from the nearest one before it. REQUIRES: index <= Count().
  TWrappedReader ReaderAt(uint64_t index) const;

  // Every wrapped line followed by CR LF: assigning this to a line list
  // gives exactly the wrapped lines, empty ones included, since no piece
  // holds CR, LF or NUL.
  std::string JoinText() const;

  const TLineList& lines() const { return *lines_; }

 private:
  friend TWrappedLines WrapLines(const TLineList&, const TWrapSettings&, uint64_t, TLineSink&);
  TWrappedLines(const TLineList& lines, const TWrapSettings& settings)
      : lines_(&lines), settings_(settings) {}

  const TLineList* lines_;
  TWrapSettings settings_;
  uint64_t count_ = 0;
  uint64_t checkpoint_stride_ = 0;
  std::vector<uint64_t> checkpoints_;  // marks of lines 0, stride, 2 x stride, ...
};

// Writes the column count line "<(A div FontSize) x 2> 桁" to `out` and
// returns `lines` wrapped to the available width A, counted. A
// `checkpoint_stride` other than 0 makes the count remember where every
// stride-th wrapped line starts, so readers can start there at once.
// Raises EDivByZero "Division by zero" for FontSize 0 and EIntOverflow for
// the one column count division that overflows, both before anything is
// wrapped; whatever `out` raises.
TWrappedLines WrapLines(const TLineList& lines, const TWrapSettings& settings,
                        uint64_t checkpoint_stride, TLineSink& out);

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_WRAP_H_
