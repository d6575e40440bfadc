// The object offset table: hands out object numbers and remembers where
// each object starts in the file, for the cross-reference section.
#ifndef QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_
#define QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "base/byte_block.h"
#include "base/output_stream.h"

namespace quilnote {

// Object offsets, held compactly: a document of millions of pages has
// three objects a page. Offsets recorded in ascending entry order (as
// objects are written) are kept as variable-length differences, a few
// bytes each; the few recorded out of order (the catalog and page tree,
// numbered first and written last) are kept apart. An entry skipped on
// the way reads as the one before it (0 at the start) until recorded.
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

  TByteBlock deltas_;        // entries 0 ... next_ - 1 as differences
  uint64_t next_ = 0;        // the next entry recorded in order
  uint64_t last_ = 0;        // entry next_ - 1 as recorded in order
  std::vector<std::pair<uint64_t, uint64_t>> out_of_order_;  // (index, offset)
};

class TPDFObjMemManager {
 public:
  // Allocates `capacity` entries; the table grows by `delta` entries at a
  // time. Raises EInvalidOperation "初期サイズは0にはできません。" when either
  // is 0, EOutOfMemory when the memory cannot be had.
  TPDFObjMemManager(uint64_t capacity, uint64_t delta);
  virtual ~TPDFObjMemManager() = default;
  TPDFObjMemManager(const TPDFObjMemManager&) = delete;
  TPDFObjMemManager& operator=(const TPDFObjMemManager&) = delete;

  // Object numbers handed out so far; the next object is Count() + 1.
  uint64_t Count() const { return count_; }
  void SetCount(uint64_t count) { count_ = count; }
  uint64_t Capacity() const { return capacity_; }

  // Entry i is the byte offset of object i + 1.
  const TObjectOffsets& Offsets() const { return offsets_; }

  // Stores `position` as entry `index`. Raises Exception
  // "出力ファイルが大きすぎます" when the offset does not fit the ten digits
  // of a cross-reference entry, rather than write a corrupt file.
  void RecordOffset(uint64_t index, uint64_t position);

  // When Count() has reached the capacity, the capacity grows by the growth
  // step. The entries themselves take memory only as they are recorded.
  void Grow();

 private:
  TObjectOffsets offsets_;
  uint64_t capacity_ = 0;
  uint64_t delta_ = 0;
  uint64_t count_ = 0;
};

// The one place where objects are numbered and located: every object of
// the file is written between these two calls.
//
// BeginObject records the object's offset as entry Count(), writes
// "<n> 0 obj\n" and returns its number n = Count() + 1. The object is not
// counted until EndObject, so while it is open Count() still excludes it:
// a reference to "the next object" inside it is n + 1. Raises Exception
// "出力ファイルが大きすぎます" when the offset needs more than ten digits.
uint64_t BeginObject(TOutputStream& out, TPDFObjMemManager& table);
// Ends the open object: writes "endobj\n", counts the object and grows
// the table. Raises EOutOfMemory.
void EndObject(TOutputStream& out, TPDFObjMemManager& table);

// Writes "<number> 0 obj\n", the head of every object.
void WriteObjectHead(TOutputStream& out, uint64_t number);

// Takes into the table the next object, written elsewhere (in a buffer
// that goes into the file whole) so that it starts at `position`: records
// its offset as BeginObject would and, when the object was `ended`,
// counts it as EndObject would. Returns its number.
uint64_t RecordWrittenObject(TPDFObjMemManager& table, uint64_t position, bool ended);

// Writes the cross-reference section for objects 1 to `count` from
// `offsets`: one subsection from object 0, the free entry of object 0, then
// one 20-byte entry per object.
void WriteXref(TOutputStream& out, const TObjectOffsets& offsets, uint64_t count);

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

#endif  // QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_
