#include "text/wrap.h"

#include <algorithm>

#include "base/messages.h"
#include "base/number_format.h"
#include "base/shift_jis.h"

namespace quilnote {

size_t PieceLength(std::string_view rest, int32_t available, int32_t font_size) {
  const int32_t half = font_size / 2;
  const int32_t after_double = Sub32(available, font_size);
  const int32_t after_single = Sub32(available, half);
  const auto* bytes = reinterpret_cast<const unsigned char*>(rest.data());
  const size_t size = rest.size();
  size_t n = 0;
  if (half > 0 && size <= static_cast<size_t>(INT32_MAX / half)) {
    // No width of this line overflows, so a width n x half exceeds a
    // threshold t exactly when n exceeds t div half: byte counts replace
    // the products.
    const int64_t double_limit = after_double < 0 ? -1 : after_double / half;
    const int64_t single_limit = after_single < 0 ? -1 : after_single / half;
    // No character that ends at or before double_limit can close the piece
    // (single bytes close later still), so skip to the characters near it.
    // Any byte that is not a lead byte ends a character, so the nearest one
    // before the target tells where a character starts.
    const int64_t target = std::min<int64_t>(double_limit - 1, static_cast<int64_t>(size));
    if (target > 0 && double_limit <= single_limit) {
      n = static_cast<size_t>(target);
      while (n > 0 && IsLeadByte(bytes[n - 1])) --n;
    }
    while (n < size) {
      const bool two = IsLeadByte(bytes[n]) && n + 1 < size;
      n += two ? 2 : 1;
      if (static_cast<int64_t>(n) > (two ? double_limit : single_limit)) return n;
    }
    return n;
  }
  // Widths that overflow 32 bits: compare the two's-complement products as
  // a 32-bit machine does.
  while (n < size) {
    if (IsLeadByte(bytes[n])) {
      n += (n + 1 < size) ? 2 : 1;
      if (Mul32(Low32(n), half) > after_double) return n;
    } else {
      ++n;
      if (Mul32(Low32(n), half) > after_single) return n;
    }
  }
  return n;
}

TWrappedReader::TWrappedReader(const TLineList& lines, const TWrapSettings& settings)
    : raw_(lines.Reader()), available_(settings.Available()), font_size_(settings.FontSize) {}

bool TWrappedReader::Next(std::string_view* line) {
  if (!rest_.empty()) {
    size_t n = PieceLength(rest_, available_, font_size_);
    *line = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return true;
  }
  std::string_view raw;
  while (raw_.Next(&raw)) {
    if (LineWidth(raw.size(), font_size_) <= available_) {
      *line = raw;
      return true;
    }
    // Too wide: cut into pieces. An empty line too wide (a negative width
    // available) yields no piece at all and disappears.
    if (raw.empty()) continue;
    size_t n = PieceLength(raw, available_, font_size_);
    *line = raw.substr(0, n);
    rest_ = raw.substr(n);
    return true;
  }
  return false;
}

namespace {

constexpr uint64_t kRestOfLine = uint64_t{1} << 63;

}  // namespace

size_t TWrappedReader::Position() const {
  return rest_.empty() ? raw_.Position() : static_cast<size_t>(rest_.data() - raw_.text());
}

uint64_t TWrappedReader::Mark() const {
  return rest_.empty() ? raw_.Position() : Position() | kRestOfLine;
}

TWrappedReader TWrappedReader::AtMark(uint64_t mark) const {
  TWrappedReader reader = *this;
  reader.raw_ = TLineReader(raw_.text(), raw_.end(), static_cast<size_t>(mark & ~kRestOfLine));
  reader.rest_ = {};
  // The rest of a line runs to the line's break: read it as a line of its
  // own, to be cut further.
  if ((mark & kRestOfLine) != 0) reader.raw_.Next(&reader.rest_);
  return reader;
}

TWrappedReader TWrappedLines::ReaderAt(uint64_t index) const {
  TWrappedReader reader(*lines_, settings_);
  uint64_t at = 0;
  if (checkpoint_stride_ != 0 && !checkpoints_.empty()) {
    uint64_t slot = std::min<uint64_t>(index / checkpoint_stride_, checkpoints_.size() - 1);
    reader = reader.AtMark(checkpoints_[static_cast<size_t>(slot)]);
    at = slot * checkpoint_stride_;
  }
  std::string_view line;
  for (; at < index && reader.Next(&line); ++at) {
  }
  return reader;
}

std::string TWrappedLines::JoinText() const {
  std::string joined;
  TWrappedReader reader(*lines_, settings_);
  std::string_view line;
  while (reader.Next(&line)) {
    joined.append(line);
    joined.append("\r\n");
  }
  return joined;
}

TWrappedLines WrapLines(const TLineList& lines, const TWrapSettings& settings,
                        uint64_t checkpoint_stride, TLineSink& out) {
  const int32_t columns = Mul32(CheckedDiv(settings.Available(), settings.FontSize), 2);
  out.WriteLine(TConsoleText(FormatInt(columns)).Program(msg::kColumns));

  TWrappedLines wrapped(lines, settings);
  wrapped.checkpoint_stride_ = checkpoint_stride;
  TWrappedReader reader(lines, settings);
  std::string_view line;
  uint64_t count = 0;
  if (checkpoint_stride == 0) {
    while (reader.Next(&line)) ++count;
  } else {
    for (uint64_t until_checkpoint = 0;; --until_checkpoint) {
      if (until_checkpoint == 0) {
        wrapped.checkpoints_.push_back(reader.Mark());
        until_checkpoint = checkpoint_stride;
      }
      if (!reader.Next(&line)) break;
      ++count;
    }
  }
  wrapped.count_ = count;
  return wrapped;
}

}  // namespace quilnote
