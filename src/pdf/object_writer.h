// The one way an object gets into the file: Open writes its head
// "<n> 0 obj\n", Close its tail "endobj\n", and the object table learns its
// number and where it starts.
//
// Objects written straight into the file are numbered and located by the
// table as they are opened. Objects written into a run buffer (compressed
// pages made on a worker) are numbered from numbers the run was given and
// located relative to the buffer; when the buffer goes into the file,
// Adopt takes them all into the table at once.
#ifndef QUILNOTE_PDF_OBJECT_WRITER_H_
#define QUILNOTE_PDF_OBJECT_WRITER_H_

#include <cstdint>
#include <vector>

#include "base/output_stream.h"
#include "pdf/pdf_obj_mem_manager.h"

namespace quilnote {

class TObjectWriter {
 public:
  // Objects of the file, numbered by `table`.
  explicit TObjectWriter(TPDFObjMemManager& table) : table_(&table) {}
  // Objects of a run buffer, numbered from `first_number` on.
  explicit TObjectWriter(uint64_t first_number) : first_(first_number) {}

  // Keeps the next `n` numbers for objects written later (OpenReserved) and
  // returns the first of them. Objects of the file only.
  uint64_t Reserve(uint64_t n);

  // Opens the next object at the end of `out` and returns its number n.
  // The object is counted when it is closed, so while it is open a
  // reference to "the object after this one" is n + 1. Raises Exception
  // "出力ファイルが大きすぎます" when its offset needs more than ten digits.
  uint64_t Open(TOutputStream& out);
  // Opens the reserved object `number`. Objects of the file only.
  void OpenReserved(TOutputStream& out, uint64_t number);
  // Closes the open object. Raises EOutOfMemory.
  void Close(TOutputStream& out);

  // Objects of a run buffer: how many were opened, and how many of those
  // (the first ones) were closed.
  uint64_t FirstNumber() const { return first_; }
  uint64_t Opened() const { return starts_.size(); }
  uint64_t Closed() const { return closed_; }

  // Takes a run buffer's objects into `table`, the buffer having been
  // written into the file at `position`: the offsets of all, the count of
  // the closed ones, as if they had been written there one by one.
  // REQUIRES: the run's first number is the table's next one.
  void Adopt(TPDFObjMemManager& table, uint64_t position) const;

 private:
  TPDFObjMemManager* table_ = nullptr;  // null for a run buffer
  bool open_reserved_ = false;
  uint64_t first_ = 0;
  std::vector<uint64_t> starts_;  // run buffer: where each object starts in it
  uint64_t closed_ = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_OBJECT_WRITER_H_
