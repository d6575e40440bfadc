// The object offset table: hands out object numbers and remembers where
// each object starts in the file, for the cross-reference section. Objects
// get into it only through the document's TObjectWriter (object_writer.h),
// which alone moves its count.
#ifndef QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_
#define QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_

#include <cstdint>

#include "pdf/object_offsets.h"

namespace quilnote {

class TObjectWriter;

// `position` as a byte offset the cross-reference section can state.
// Raises Exception "出力ファイルが大きすぎます" when it needs more than the ten
// digits of an entry, rather than write a corrupt file.
uint64_t CheckedOffset(uint64_t position);

class TPDFObjMemManager {
 public:
  // Allocates `capacity` entries; the table grows by `delta` entries at a
  // time. Raises EInvalidOperation "初期サイズは0にはできません。" when either
  // is 0, EOutOfMemory when the memory cannot be had.
  TPDFObjMemManager(uint64_t capacity, uint64_t delta);
  TPDFObjMemManager(const TPDFObjMemManager&) = delete;
  TPDFObjMemManager& operator=(const TPDFObjMemManager&) = delete;

  // Object numbers handed out so far; the next object is Count() + 1.
  uint64_t Count() const { return count_; }
  uint64_t Capacity() const { return capacity_; }

  // Entry i is the byte offset of object i + 1.
  const TObjectOffsets& Offsets() const { return offsets_; }

  // Stores CheckedOffset(position) as entry `index`.
  void RecordOffset(uint64_t index, uint64_t position);

 private:
  friend class TObjectWriter;

  void SetCount(uint64_t count) { count_ = count; }
  // When Count() has reached the capacity, the capacity grows by the growth
  // step. The entries themselves take memory only as they are recorded.
  void Grow();

  TObjectOffsets offsets_;
  uint64_t capacity_ = 0;
  uint64_t delta_ = 0;
  uint64_t count_ = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_
