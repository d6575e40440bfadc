// The object offset table: hands out object numbers and remembers where
// each object starts in the file, for the cross-reference section.
#ifndef QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_
#define QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "base/output_stream.h"

namespace quilnote {

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
  // REQUIRES: entries written have index < Capacity().
  int64_t* Offsets() { return offsets_.get(); }
  const int64_t* Offsets() const { return offsets_.get(); }

  // Stores `position` as entry `index`. Raises Exception
  // "出力ファイルが大きすぎます" when the offset does not fit the ten digits
  // of a cross-reference entry, rather than write a corrupt file.
  void RecordOffset(uint64_t index, uint64_t position);

  // Makes sure entry Count() exists: when Count() has reached the capacity,
  // the capacity grows by the growth step, keeping the entries.
  void Grow();

 private:
  struct FreeDeleter {
    void operator()(int64_t* p) const { std::free(p); }
  };
  void Resize(uint64_t capacity);

  std::unique_ptr<int64_t[], FreeDeleter> offsets_;
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
// the table, so that entry Count() exists for the next one (or for the
// cross-reference section's own offset). Raises EOutOfMemory.
void EndObject(TOutputStream& out, TPDFObjMemManager& table);

// Writes the cross-reference section for objects 1 to `count` from
// `offsets`: one subsection from object 0, the free entry of object 0, then
// one 20-byte entry per object.
void WriteXref(TOutputStream& out, const int64_t* offsets, uint64_t count);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PDF_OBJ_MEM_MANAGER_H_
