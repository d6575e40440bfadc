// Where each object of the file starts, held in a few bytes an object.
#ifndef QUILNOTE_PDF_OBJECT_OFFSETS_H_
#define QUILNOTE_PDF_OBJECT_OFFSETS_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "base/byte_block.h"

namespace quilnote {

// Object offsets, held compactly: a document of millions of pages has
// a few objects a page. Offsets recorded in ascending entry order (as
// objects are written) are kept as variable-length differences, a few
// bytes each; the few recorded out of order (the catalog and page tree,
// numbered first and written last) are kept apart. An entry skipped on
// the way reads as the entry before it (0 at the start) until recorded.
class TObjectOffsets {
 public:
  // Entry `index` := `offset`.
  void Set(uint64_t index, uint64_t offset);
  // Entry `index`. Reading the last entry recorded in order is immediate;
  // any other reads through the entries before it.
  uint64_t operator[](uint64_t index) const;

  // Calls visit(offset) for entries 0 to count - 1, in order, in one pass.
  template <typename Visit>
  void ForEach(uint64_t count, Visit visit) const;

 private:
  uint64_t OutOfOrder(uint64_t index, uint64_t in_order) const;

  TByteBlock deltas_;  // entries 0 ... next_ - 1 as differences
  uint64_t next_ = 0;  // the next entry recorded in order
  uint64_t last_ = 0;  // entry next_ - 1 as recorded in order
  std::vector<std::pair<uint64_t, uint64_t>> out_of_order_;  // (index, offset)
};

template <typename Visit>
void TObjectOffsets::ForEach(uint64_t count, Visit visit) const {
  const auto* p = reinterpret_cast<const unsigned char*>(deltas_.data());
  uint64_t offset = 0;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t in_order = 0;
    if (i < next_) {
      uint64_t delta = 0;
      for (unsigned shift = 0;; shift += 7) {
        const unsigned char byte = *p++;
        delta |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) break;
      }
      offset += delta;
      in_order = offset;
    }
    visit(out_of_order_.empty() ? in_order : OutOfOrder(i, in_order));
  }
}

}  // namespace quilnote

#endif  // QUILNOTE_PDF_OBJECT_OFFSETS_H_
