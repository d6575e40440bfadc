// The line list: an ordered list of byte strings, one per line of text.
//
// The lines are kept as the text block they were assigned from, with its own
// line breaks: no per-line index is stored, because a file of bare line
// feeds has as many lines as bytes. Lines are read in order through a
// TLineReader. Once wrapped (see wrap.h), the list shows the pieces of its
// too-wide lines: each piece is a slice of the line it comes from, computed
// while reading, so wrapping copies nothing.
#ifndef QUILNOTE_TEXT_LINE_LIST_H_
#define QUILNOTE_TEXT_LINE_LIST_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_block.h"

namespace quilnote {

// What wrapping needs to know: the available width A and the font size.
struct TWrapWidths {
  int32_t available;
  int32_t font_size;
};

// Reads the lines of a list in order. Cheap to copy: a copy reads on from
// the same place independently. The list must outlive its readers and must
// not change while they read.
class TLineReader {
 public:
  explicit TLineReader(const class TLineList& list);

  // The next line, or false at the end.
  bool Next(std::string_view* line);

  // The byte offset in the text of what is read next.
  size_t Position() const {
    return rest_.empty() ? pos_ : static_cast<size_t>(rest_.data() - text_);
  }

 private:
  friend class TLineList;
  TLineReader(const char* text, size_t end, std::optional<TWrapWidths> wrap)
      : text_(text), end_(end), wrap_(wrap) {}
  // The raw line starting at pos_; advances pos_ past its break.
  std::string_view NextRawLine();

  const char* text_;
  size_t end_;
  size_t pos_ = 0;
  // Where the next CR and LF at or after pos_ were found (end_ for none),
  // so that text of only CRs or only LFs is still scanned once in all.
  static constexpr size_t kNotSearched = SIZE_MAX;
  size_t next_cr_ = kNotSearched;
  size_t next_lf_ = kNotSearched;
  std::optional<TWrapWidths> wrap_;
  std::string_view rest_;  // what remains of a line being cut into pieces
};

class TLineList {
 public:
  TLineList() = default;
  TLineList(const TLineList&) = delete;
  TLineList& operator=(const TLineList&) = delete;

  // Replaces the contents with the lines of `block`: scanning stops at the
  // first NUL byte or at the end; a line ends at CR, at LF or at CR LF (one
  // break; LF CR is two); a break at the very end adds no empty line.
  void AssignText(std::string_view block);
  // The same, taking the block over instead of copying it.
  void AssignText(TByteBlock&& block);

  // Every line followed by CR LF; empty for no lines.
  std::string JoinText() const;

  // The number of lines. Counting an unwrapped list scans its text once,
  // on the first call.
  uint64_t Count() const;

  // The bytes of text the lines are read from; the list never has more
  // lines than this plus one, wrapped or not.
  uint64_t TextSize() const { return end_; }

  // Line i, 0-based. Reading lines in ascending order costs linear time in
  // all; going backwards starts again from the first line.
  // REQUIRES: i < Count().
  std::string_view Line(uint64_t i) const;

  // REQUIRES: the list is not wrapped; `line` holds no CR, LF or NUL.
  void Append(std::string_view line);
  void Clear();

  // Makes the list show its lines wrapped to `widths`, counting them. When
  // `checkpoint_stride` is not 0, the count also remembers where lines 0,
  // stride, 2 x stride, ... start, so that ReaderAt can start there at once.
  // REQUIRES: the list is not wrapped yet.
  void Wrap(TWrapWidths widths, uint64_t checkpoint_stride = 0);

  // A reader positioned before line `index`: at a remembered checkpoint
  // when there is one there, otherwise reached by reading from the nearest
  // one before it. REQUIRES: index <= Count().
  TLineReader ReaderAt(uint64_t index) const;
  std::optional<TWrapWidths> wrap_widths() const { return wrap_; }

 private:
  friend class TLineReader;
  void ResetReaders();

  TByteBlock text_;
  size_t end_ = 0;  // the text ends here: at its first NUL or its size
  mutable std::optional<uint64_t> count_;
  std::optional<TWrapWidths> wrap_;
  uint64_t checkpoint_stride_ = 0;
  std::vector<TLineReader> checkpoints_;

  // The reader behind Line(i), positioned before line cache_index_, kept so
  // that ascending reads are cheap.
  mutable TLineReader cache_{nullptr, 0, std::nullopt};
  mutable uint64_t cache_index_ = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_LINE_LIST_H_
