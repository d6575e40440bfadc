// The line list: an ordered list of byte strings, one per line of text.
//
// The lines are kept as the text block they were assigned from, with its own
// line breaks: no per-line index is stored, because a file of bare line
// feeds has as many lines as bytes. Lines are read in order through a
// TLineReader, as slices of the block. The wrapped form of a list is a view
// over it (see wrap.h); the list itself never changes for wrapping.
#ifndef QUILNOTE_TEXT_LINE_LIST_H_
#define QUILNOTE_TEXT_LINE_LIST_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/byte_block.h"

namespace quilnote {

// Reads lines of a text block in order. Cheap to copy: a copy reads on from
// the same place independently. The block must outlive its readers and must
// not change while they read.
class TLineReader {
 public:
  // Reads the lines of text[0, end), starting at byte `from`, which must be
  // the start of a line.
  TLineReader(const char* text, size_t end, size_t from = 0) : text_(text), end_(end), pos_(from) {}

  // The next line, or false at the end.
  bool Next(std::string_view* line);

  // The byte offset in the text of the line read next.
  size_t Position() const { return pos_; }
  const char* text() const { return text_; }
  size_t end() const { return end_; }

 private:
  // The offset of the first CR or LF at or after `from`, or end_.
  size_t FindBreak(size_t from);

  const char* text_;
  size_t end_;
  size_t pos_;
  // Line breaks are found a block of 64 bytes at a time: bit i of mask_
  // is set when byte block_ + i is a CR or an LF.
  static constexpr size_t kNoBlock = SIZE_MAX;
  size_t block_ = kNoBlock;
  uint64_t mask_ = 0;
};

// The lines of a text: its bytes, kept whole, read line by line on demand.
// The page writer reads them through a reader; Line and JoinText serve
// those that want a line or the whole list at once.
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

  // The number of lines. Counted on the first call, by one scan of the text.
  uint64_t Count() const;

  // The text the lines are read from, up to its first NUL. The list never
  // has more lines than its size plus one.
  std::string_view Text() const { return {text_.data(), end_}; }

  // A reader of the lines from the first.
  TLineReader Reader() const { return TLineReader(text_.data(), end_); }

  // Line i, 0-based. Reading lines in ascending order costs linear time in
  // all; going backwards starts again from the first line.
  // Raises std::out_of_range unless i < Count().
  std::string_view Line(uint64_t i) const;

  // REQUIRES: `line` holds no CR, LF or NUL.
  void Append(std::string_view line);
  void Clear();

 private:
  TByteBlock text_;
  size_t end_ = 0;  // the text ends here: at its first NUL or its size
  mutable std::optional<uint64_t> count_;

  // The reader behind Line(i), positioned before line cache_index_, kept so
  // that ascending reads are cheap.
  mutable TLineReader cache_{nullptr, 0};
  mutable uint64_t cache_index_ = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_LINE_LIST_H_
