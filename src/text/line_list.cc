#include "text/line_list.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "text/break_mask.h"

namespace quilnote {

size_t TLineReader::FindBreak(size_t from) {
  if (block_ == kNoBlock || from < block_ || from - block_ >= 64) {
    block_ = from;
    mask_ = BreakMask(text_ + block_, std::min<size_t>(64, end_ - block_));
  }
  uint64_t mask = mask_ & (~uint64_t{0} << (from - block_));
  while (mask == 0) {
    if (end_ - block_ <= 64) return end_;
    block_ += 64;
    mask_ = BreakMask(text_ + block_, std::min<size_t>(64, end_ - block_));
    mask = mask_;
  }
  return block_ + static_cast<size_t>(std::countr_zero(mask));
}

bool TLineReader::Next(std::string_view* line) {
  if (pos_ >= end_) return false;
  const size_t start = pos_;
  const size_t stop = FindBreak(start);
  pos_ = stop;
  if (stop < end_) {
    ++pos_;
    // CR LF is one break; LF CR is two.
    if (text_[stop] == '\r' && pos_ < end_ && text_[pos_] == '\n') ++pos_;
  }
  *line = std::string_view(text_ + start, stop - start);
  return true;
}

void TLineList::AssignText(std::string_view block) {
  TByteBlock copy;
  const void* nul = block.empty() ? nullptr : std::memchr(block.data(), '\0', block.size());
  size_t used =
      nul ? static_cast<size_t>(static_cast<const char*>(nul) - block.data()) : block.size();
  copy.Append(block.data(), used);
  AssignText(std::move(copy));
}

void TLineList::AssignText(TByteBlock&& block) {
  text_ = std::move(block);
  const void* nul = text_.size() == 0 ? nullptr : std::memchr(text_.data(), '\0', text_.size());
  end_ = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text_.data()) : text_.size();
  count_.reset();
  cache_ = Reader();
  cache_index_ = 0;
}

uint64_t TLineList::Count() const {
  if (!count_) {
    // Each LF ends a line, and so does each CR not followed by LF; text
    // after the last break is one more line. Counted as LFs plus CRs minus
    // CR LF pairs: three loops that the compiler vectorizes.
    const char* p = text_.data();
    uint64_t lf = 0, cr = 0, pairs = 0;
    for (size_t i = 0; i < end_; ++i) lf += p[i] == '\n';
    for (size_t i = 0; i < end_; ++i) cr += p[i] == '\r';
    for (size_t i = 1; i < end_; ++i) pairs += (p[i - 1] == '\r') & (p[i] == '\n');
    uint64_t count = lf + cr - pairs;
    if (end_ > 0 && p[end_ - 1] != '\n' && p[end_ - 1] != '\r') ++count;
    count_ = count;
  }
  return *count_;
}

std::string TLineList::JoinText() const {
  std::string joined;
  TLineReader reader = Reader();
  std::string_view line;
  while (reader.Next(&line)) {
    joined.append(line);
    joined.append("\r\n");
  }
  return joined;
}

std::string_view TLineList::Line(uint64_t i) const {
  if (i >= Count()) throw std::out_of_range("line index out of range");
  if (i < cache_index_) {
    cache_ = Reader();
    cache_index_ = 0;
  }
  std::string_view line;
  while (cache_index_ <= i) {
    cache_.Next(&line);
    ++cache_index_;
  }
  return line;
}

void TLineList::Append(std::string_view line) {
  const uint64_t count = Count() + 1;
  TByteBlock text = std::move(text_);
  text.SetSize(end_);
  // End the last line first. After a final CR the LF joins it as CR LF, so
  // an empty line appended there is not swallowed by the CR's break.
  if (end_ > 0 && text.data()[end_ - 1] != '\n') text.Append("\n", 1);
  text.Append(line.data(), line.size());
  text.Append("\n", 1);
  AssignText(std::move(text));
  count_ = count;
}

void TLineList::Clear() {
  AssignText(TByteBlock());
}

}  // namespace quilnote
