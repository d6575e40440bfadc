// The page list: the object numbers of the page objects, in page order, from
// which the page tree is written. The page writer hands the numbers out
// three apart (page, content stream, length), so the list is held as its
// first number and its length, whatever the number of pages.
#ifndef QUILNOTE_PDF_PAGE_LIST_H_
#define QUILNOTE_PDF_PAGE_LIST_H_

#include <cstdint>
#include <stdexcept>

namespace quilnote {

class TPageList {
 public:
  static constexpr uint64_t kStride = 3;

  // REQUIRES: `object_number` is the first entry or the last one plus 3.
  void Append(uint64_t object_number) {
    if (count_ == 0) {
      first_ = object_number;
    } else if (object_number != Entry(count_ - 1) + kStride) {
      throw std::logic_error("page objects must be numbered three apart");
    }
    ++count_;
  }
  uint64_t Count() const { return count_; }
  uint64_t Entry(uint64_t i) const { return first_ + kStride * i; }

 private:
  uint64_t first_ = 0;
  uint64_t count_ = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_LIST_H_
