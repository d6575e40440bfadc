#include "pdf/object_offsets.h"

namespace quilnote {

void TObjectOffsets::Set(uint64_t index, uint64_t offset) {
  if (index >= next_ && offset >= last_) {
    // In order: entries skipped on the way read as the entry before them
    // (0 at the start) unless recorded later.
    for (; next_ < index; ++next_) deltas_.Append("\0", 1);
    unsigned char bytes[10];
    size_t n = 0;
    for (uint64_t delta = offset - last_;; delta >>= 7) {
      bytes[n++] = static_cast<unsigned char>((delta & 0x7F) | (delta >= 0x80 ? 0x80 : 0));
      if (delta < 0x80) break;
    }
    deltas_.Append(reinterpret_cast<const char*>(bytes), n);
    last_ = offset;
    next_ = index + 1;
    return;
  }
  for (auto& entry : out_of_order_) {
    if (entry.first == index) {
      entry.second = offset;
      return;
    }
  }
  out_of_order_.emplace_back(index, offset);
}

uint64_t TObjectOffsets::OutOfOrder(uint64_t index, uint64_t in_order) const {
  for (const auto& entry : out_of_order_) {
    if (entry.first == index) return entry.second;
  }
  return in_order;
}

uint64_t TObjectOffsets::operator[](uint64_t index) const {
  if (index + 1 == next_) return OutOfOrder(index, last_);
  uint64_t found = 0;
  uint64_t i = 0;
  ForEach(index + 1, [&](uint64_t offset) {
    if (i++ == index) found = offset;
  });
  return found;
}

}  // namespace quilnote
