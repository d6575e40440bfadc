#include "text/line_list.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "text/line_width.h"

namespace quilnote {

TLineReader::TLineReader(const TLineList& list)
    : TLineReader(list.text_.data(), list.end_, list.wrap_) {}

namespace {

// The position of the first `c` at or after `from`, or `end`.
size_t Find(const char* text, size_t from, size_t end, char c) {
  const void* found = std::memchr(text + from, c, end - from);
  return found ? static_cast<size_t>(static_cast<const char*>(found) - text) : end;
}

}  // namespace

std::string_view TLineReader::NextRawLine() {
  if (next_lf_ == kNotSearched || next_lf_ < pos_) next_lf_ = Find(text_, pos_, end_, '\n');
  if (next_cr_ == kNotSearched || next_cr_ < pos_) next_cr_ = Find(text_, pos_, end_, '\r');
  const size_t start = pos_;
  const size_t stop = std::min(next_cr_, next_lf_);
  pos_ = stop;
  if (stop < end_) {
    ++pos_;
    // CR LF is one break; LF CR is two.
    if (text_[stop] == '\r' && pos_ < end_ && text_[pos_] == '\n') ++pos_;
  }
  return {text_ + start, stop - start};
}

bool TLineReader::Next(std::string_view* line) {
  if (!rest_.empty()) {
    size_t n = PieceLength(rest_, wrap_->available, wrap_->font_size);
    *line = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return true;
  }
  while (pos_ < end_) {
    std::string_view raw = NextRawLine();
    if (!wrap_ || LineWidth(raw.size(), wrap_->font_size) <= wrap_->available) {
      *line = raw;
      return true;
    }
    // Too wide: cut into pieces. An empty line too wide (a negative width
    // available) yields no piece at all and disappears.
    if (raw.empty()) continue;
    size_t n = PieceLength(raw, wrap_->available, wrap_->font_size);
    *line = raw.substr(0, n);
    rest_ = raw.substr(n);
    return true;
  }
  return false;
}

void TLineList::AssignText(std::string_view block) {
  TByteBlock copy;
  const void* nul = block.empty() ? nullptr : std::memchr(block.data(), '\0', block.size());
  size_t used = nul ? static_cast<size_t>(static_cast<const char*>(nul) - block.data())
                    : block.size();
  copy.Append(block.data(), used);
  AssignText(std::move(copy));
}

void TLineList::AssignText(TByteBlock&& block) {
  text_ = std::move(block);
  const void* nul = text_.size() == 0 ? nullptr : std::memchr(text_.data(), '\0', text_.size());
  end_ = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text_.data()) : text_.size();
  wrap_.reset();
  count_.reset();
  ResetReaders();
}

void TLineList::ResetReaders() {
  checkpoints_.clear();
  checkpoint_stride_ = 0;
  cache_ = TLineReader(*this);
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

void TLineList::Wrap(TWrapWidths widths, uint64_t checkpoint_stride) {
  if (wrap_) throw std::logic_error("line list wrapped twice");
  wrap_ = widths;
  ResetReaders();
  checkpoint_stride_ = checkpoint_stride;
  TLineReader reader(*this);
  std::string_view line;
  uint64_t count = 0;
  if (checkpoint_stride == 0) {
    while (reader.Next(&line)) ++count;
  } else {
    for (;;) {
      if (count % checkpoint_stride == 0) checkpoints_.push_back(reader);
      if (!reader.Next(&line)) break;
      ++count;
    }
  }
  count_ = count;
}

TLineReader TLineList::ReaderAt(uint64_t index) const {
  if (index > Count()) throw std::out_of_range("line index out of range");
  uint64_t at = 0;
  TLineReader reader(*this);
  if (checkpoint_stride_ != 0 && !checkpoints_.empty()) {
    uint64_t slot = std::min<uint64_t>(index / checkpoint_stride_, checkpoints_.size() - 1);
    reader = checkpoints_[slot];
    at = slot * checkpoint_stride_;
  }
  std::string_view line;
  for (; at < index; ++at) reader.Next(&line);
  return reader;
}

std::string TLineList::JoinText() const {
  std::string joined;
  TLineReader reader(*this);
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
    cache_ = TLineReader(*this);
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
  if (wrap_) throw std::logic_error("Append on a wrapped line list");
  const uint64_t count = Count() + 1;
  TByteBlock text = std::move(text_);
  text.SetSize(end_);
  // End the last line first. After a final CR the LF joins it as CR LF, so
  // an empty line appended there is not swallowed by the CR's break.
  if (end_ > 0 && text.data()[end_ - 1] != '\n') text.Append("\n", 1);
  text.Append(line.data(), line.size());
  text.Append("\n", 1);
  text_ = std::move(text);
  end_ = text_.size();
  count_ = count;
  ResetReaders();
}

void TLineList::Clear() { AssignText(TByteBlock()); }

}  // namespace quilnote
