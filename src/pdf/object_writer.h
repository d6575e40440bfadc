// The one way an object gets into the file: Open writes its head
// "<n> 0 obj\n", Close its tail "endobj\n", and the object is numbered and
// located.
//
// A document has one TObjectWriter: objects written straight into the file
// are numbered and located by its table as they are opened. Objects written
// into a run buffer (compressed pages made on a worker) go through a
// TRunObjectWriter of their own, numbered from numbers the run was given
// and located relative to the buffer; when the buffer goes into the file,
// the document's writer adopts them all at once.
#ifndef QUILNOTE_PDF_OBJECT_WRITER_H_
#define QUILNOTE_PDF_OBJECT_WRITER_H_

#include <cstdint>
#include <vector>

#include "base/output_stream.h"
#include "pdf/pdf_obj_mem_manager.h"

namespace quilnote {

class TRunObjectWriter;

// The objects of the file, numbered by `table`.
class TObjectWriter {
 public:
  explicit TObjectWriter(TPDFObjMemManager& table) : table_(table) {}
  TObjectWriter(const TObjectWriter&) = delete;
  TObjectWriter& operator=(const TObjectWriter&) = delete;

  // Keeps the next `n` numbers for objects written later (OpenReserved) and
  // returns the first of them.
  uint64_t Reserve(uint64_t n);
  // The number the next Open gives.
  uint64_t Next() const { return table_.Count() + 1; }

  // Opens the next object at the end of `out` and returns its number n.
  // The object is counted when it is closed, so while it is open a
  // reference to "the object after this one" is n + 1. Raises Exception
  // "出力ファイルが大きすぎます" when its offset needs more than ten digits.
  uint64_t Open(TOutputStream& out);
  // Opens the reserved object `number`.
  void OpenReserved(TOutputStream& out, uint64_t number);
  // Closes the open object. Raises EOutOfMemory.
  void Close(TOutputStream& out);

  // Takes a run buffer's objects into the table, the buffer having been
  // written into the file at `position`: the offsets of all, the count of
  // the closed ones, as if they had been written there one by one.
  // REQUIRES: the run's first number is Next().
  void Adopt(const TRunObjectWriter& run, uint64_t position);

  // The numbers handed out and where each object starts.
  const TPDFObjMemManager& Table() const { return table_; }

 private:
  void CountOne();

  TPDFObjMemManager& table_;
  bool open_reserved_ = false;
};

// The objects of a run buffer, numbered from `first_number` on.
class TRunObjectWriter {
 public:
  explicit TRunObjectWriter(uint64_t first_number = 0) : first_(first_number) {}

  // Opens the next object at the end of `out` and returns its number.
  uint64_t Open(TOutputStream& out);
  // Closes the open object.
  void Close(TOutputStream& out);

  // How many objects were opened, and how many of those (the first ones)
  // were closed.
  uint64_t FirstNumber() const { return first_; }
  uint64_t Opened() const { return starts_.size(); }
  uint64_t Closed() const { return closed_; }

 private:
  friend class TObjectWriter;  // adopts the objects

  uint64_t first_;
  std::vector<uint64_t> starts_;  // where each object starts in the buffer
  uint64_t closed_ = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_OBJECT_WRITER_H_
